// "frametidetestdeviceprovider": lists the virtual devices that
// FRAMETIDE_TEST_DEVICES names, and hides every other device provider so
// that what a test sees does not depend on the machine.
// FRAMETIDE_TEST_PROBE_DELAY_MS makes each probe take that long.
#pragma once

#include <gst/gst.h>

G_BEGIN_DECLS

#define FRAMETIDE_TYPE_TEST_DEVICE_PROVIDER (frametide_test_device_provider_get_type())
G_DECLARE_FINAL_TYPE(FrametideTestDeviceProvider, frametide_test_device_provider, FRAMETIDE, TEST_DEVICE_PROVIDER,
                     GstDeviceProvider)

G_END_DECLS

inline constexpr const char *kTestDeviceProviderName = "frametidetestdeviceprovider";
