// The GStreamer plugin of the virtual test devices; loaded only through
// GST_PLUGIN_PATH in test runs, never linked into the program.
#include "tests/devices/FrameStampFilter.h"
#include "tests/devices/TestDeviceProvider.h"

namespace {

gboolean registerFeatures(GstPlugin *plugin)
{
    return gst_element_register(plugin, "frametidestamp", GST_RANK_NONE, FRAMETIDE_TYPE_STAMP_FILTER)
           && gst_device_provider_register(plugin, kTestDeviceProviderName, GST_RANK_PRIMARY + 100,
                                           FRAMETIDE_TYPE_TEST_DEVICE_PROVIDER);
}

} // namespace

#define PACKAGE "frametide"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, frametidetest, "Frametide virtual test devices",
                  registerFeatures, "1.0", "Proprietary", "Frametide", "https://frametide.invalid")
