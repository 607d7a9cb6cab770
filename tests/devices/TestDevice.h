// A virtual capture device: a live test-pattern camera (videotestsrc, the
// frame stamp, the requested size and rate) or a live test tone.
#pragma once

#include "tests/devices/TestDeviceSpec.h"

#include <gst/gst.h>

G_BEGIN_DECLS

#define FRAMETIDE_TYPE_TEST_DEVICE (frametide_test_device_get_type())
G_DECLARE_FINAL_TYPE(FrametideTestDevice, frametide_test_device, FRAMETIDE, TEST_DEVICE, GstDevice)

G_END_DECLS

// A new floating device for spec.
GstDevice *CreateTestDevice(const TestDeviceSpec &spec);
