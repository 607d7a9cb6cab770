// The virtual devices and the elements they create.
#include "tests/devices/TestDevice.h"

#include <new>

struct _FrametideTestDevice {
    GstDevice parent;
    TestDeviceSpec *spec;
};

G_DEFINE_TYPE(FrametideTestDevice, frametide_test_device, GST_TYPE_DEVICE)

namespace {

// The picture scrolls sideways so that every frame differs from the last.
constexpr int kScrollPixelsPerFrame = 4;

GstCaps *videoCaps(const TestDeviceSpec &spec)
{
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, spec.format.c_str(), "width", G_TYPE_INT,
                               spec.width, "height", G_TYPE_INT, spec.height, "framerate", GST_TYPE_FRACTION,
                               spec.fpsNumerator, spec.fpsDenominator, nullptr);
}

GstElement *createCamera(const TestDeviceSpec &spec, const gchar *name)
{
    GstElement *bin = gst_bin_new(name);
    GstElement *source = gst_element_factory_make("videotestsrc", nullptr);
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement *stamp = gst_element_factory_make("frametidestamp", nullptr);
    if (!source || !filter || !stamp) {
        for (GstElement *element : {source, filter, stamp}) {
            if (element)
                gst_object_unref(element);
        }
        gst_object_unref(bin);
        return nullptr;
    }
    g_object_set(source, "is-live", TRUE, "horizontal-speed", kScrollPixelsPerFrame, nullptr);
    GstCaps *caps = videoCaps(spec);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    g_object_set(stamp, "fail-after", spec.failAfter, "fail-start", spec.failStart, nullptr);
    gst_bin_add_many(GST_BIN(bin), source, filter, stamp, nullptr);
    gst_element_link_many(source, filter, stamp, nullptr);
    GstPad *pad = gst_element_get_static_pad(stamp, "src");
    gst_element_add_pad(bin, gst_ghost_pad_new("src", pad));
    gst_object_unref(pad);
    return bin;
}

GstElement *createTone(const gchar *name)
{
    GstElement *source = gst_element_factory_make("audiotestsrc", name);
    if (source)
        g_object_set(source, "is-live", TRUE, nullptr);
    return source;
}

GstElement *createElement(GstDevice *device, const gchar *name)
{
    const TestDeviceSpec &spec = *FRAMETIDE_TEST_DEVICE(device)->spec;
    return spec.kind == TestDeviceSpec::Kind::Video ? createCamera(spec, name) : createTone(name);
}

void finalize(GObject *object)
{
    delete FRAMETIDE_TEST_DEVICE(object)->spec;
    G_OBJECT_CLASS(frametide_test_device_parent_class)->finalize(object);
}

} // namespace

static void frametide_test_device_class_init(FrametideTestDeviceClass *klass)
{
    G_OBJECT_CLASS(klass)->finalize = finalize;
    GST_DEVICE_CLASS(klass)->create_element = createElement;
}

static void frametide_test_device_init(FrametideTestDevice *self)
{
    self->spec = nullptr;
}

GstDevice *CreateTestDevice(const TestDeviceSpec &spec)
{
    const bool video = spec.kind == TestDeviceSpec::Kind::Video;
    GstCaps *caps = video ? videoCaps(spec) : gst_caps_new_empty_simple("audio/x-raw");
    auto *device = static_cast<FrametideTestDevice *>(g_object_new(FRAMETIDE_TYPE_TEST_DEVICE, "display-name",
        spec.name.c_str(), "device-class", video ? "Video/Source" : "Audio/Source", "caps", caps, nullptr));
    gst_caps_unref(caps);
    device->spec = new TestDeviceSpec(spec);
    return GST_DEVICE(device);
}
