// The virtual device provider.
#include "tests/devices/TestDeviceProvider.h"

#include "tests/devices/TestDevice.h"

#include <cstdlib>
#include <cstring>

struct _FrametideTestDeviceProvider {
    GstDeviceProvider parent;
};

G_DEFINE_TYPE(FrametideTestDeviceProvider, frametide_test_device_provider, GST_TYPE_DEVICE_PROVIDER)

namespace {

// A provider that takes its time, as a hanging sound server would.
void delayProbe()
{
    if (const char *delay = std::getenv("FRAMETIDE_TEST_PROBE_DELAY_MS"))
        g_usleep(static_cast<gulong>(std::strtoul(delay, nullptr, 10)) * 1000);
}

GList *probe(GstDeviceProvider *)
{
    delayProbe();
    const char *text = std::getenv("FRAMETIDE_TEST_DEVICES");
    std::vector<std::string> errors;
    GList *devices = nullptr;
    for (const auto &spec : ParseTestDevices(text ? text : "", &errors))
        devices = g_list_prepend(devices, gst_object_ref_sink(CreateTestDevice(spec)));
    for (const auto &entry : errors)
        g_warning("FRAMETIDE_TEST_DEVICES: cannot read \"%s\"", entry.c_str());
    return g_list_reverse(devices);
}

void hideOtherProviders(GstDeviceProvider *self)
{
    GList *factories = gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE);
    for (GList *item = factories; item; item = item->next) {
        const gchar *name = GST_OBJECT_NAME(item->data);
        if (std::strcmp(name, kTestDeviceProviderName) != 0)
            gst_device_provider_hide_provider(self, name);
    }
    gst_plugin_feature_list_free(factories);
}

} // namespace

static void frametide_test_device_provider_class_init(FrametideTestDeviceProviderClass *klass)
{
    auto *providerClass = GST_DEVICE_PROVIDER_CLASS(klass);
    providerClass->probe = probe;
    gst_device_provider_class_set_static_metadata(providerClass, "Frametide test devices", "Source/Video/Audio",
        "Virtual cameras and audio inputs named by FRAMETIDE_TEST_DEVICES", "Frametide");
}

static void frametide_test_device_provider_init(FrametideTestDeviceProvider *self)
{
    hideOtherProviders(GST_DEVICE_PROVIDER(self));
}
