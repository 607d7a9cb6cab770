// The frame stamp writer element of the virtual cameras.
#include "tests/devices/FrameStampFilter.h"

#include "tests/devices/FrameStamp.h"

#include <cstring>

struct _FrametideStampFilter {
    GstVideoFilter parent;
    guint failAfter;
    gboolean failStart;
    guint frames;
};

G_DEFINE_TYPE(FrametideStampFilter, frametide_stamp_filter, GST_TYPE_VIDEO_FILTER)

namespace {

enum { PROP_0, PROP_FAIL_AFTER, PROP_FAIL_START };

constexpr guint8 kLumaBlack = 16, kLumaWhite = 235, kChromaNeutral = 128;

guint8 *row(GstVideoFrame *frame, int plane, int y)
{
    return static_cast<guint8 *>(GST_VIDEO_FRAME_PLANE_DATA(frame, plane)) + y * GST_VIDEO_FRAME_PLANE_STRIDE(frame, plane);
}

void stampBgrx(GstVideoFrame *frame, int number, int width, int band)
{
    for (int y = 0; y < band; ++y) {
        guint8 *line = row(frame, 0, y);
        for (int cell = 0; cell < FrameStamp::kCells; ++cell) {
            const int begin = FrameStamp::CellBegin(cell, width), end = FrameStamp::CellBegin(cell + 1, width);
            std::memset(line + 4 * begin, FrameStamp::CellIsWhite(number, cell) ? 0xFF : 0x00, 4 * (end - begin));
        }
    }
}

void stampYuy2(GstVideoFrame *frame, int number, int width, int band)
{
    for (int y = 0; y < band; ++y) {
        guint8 *line = row(frame, 0, y);
        for (int cell = 0; cell < FrameStamp::kCells; ++cell) {
            const guint8 luma = FrameStamp::CellIsWhite(number, cell) ? kLumaWhite : kLumaBlack;
            for (int x = FrameStamp::CellBegin(cell, width); x < FrameStamp::CellBegin(cell + 1, width); ++x) {
                line[2 * x] = luma;
                line[2 * x + 1] = kChromaNeutral;
            }
        }
    }
}

void stampI420(GstVideoFrame *frame, int number, int width, int band)
{
    for (int y = 0; y < band; ++y) {
        guint8 *line = row(frame, 0, y);
        for (int cell = 0; cell < FrameStamp::kCells; ++cell) {
            const int begin = FrameStamp::CellBegin(cell, width), end = FrameStamp::CellBegin(cell + 1, width);
            std::memset(line + begin, FrameStamp::CellIsWhite(number, cell) ? kLumaWhite : kLumaBlack, end - begin);
        }
    }
    const int chromaRows = (band + 1) / 2, chromaWidth = (width + 1) / 2;
    for (int plane = 1; plane <= 2; ++plane) {
        for (int y = 0; y < chromaRows; ++y)
            std::memset(row(frame, plane, y), kChromaNeutral, chromaWidth);
    }
}

GstFlowReturn stampFrame(GstVideoFilter *filter, GstVideoFrame *frame)
{
    auto *self = FRAMETIDE_STAMP_FILTER(filter);
    const guint number = self->frames++;
    if (self->failAfter && number >= self->failAfter) {
        GST_ELEMENT_ERROR(self, RESOURCE, READ, ("The camera stopped working."), ("fail-after=%u reached", self->failAfter));
        return GST_FLOW_ERROR;
    }
    const int width = GST_VIDEO_FRAME_WIDTH(frame);
    const int band = FrameStamp::BandHeight(GST_VIDEO_FRAME_HEIGHT(frame));
    switch (GST_VIDEO_FRAME_FORMAT(frame)) {
    case GST_VIDEO_FORMAT_BGRx: stampBgrx(frame, static_cast<int>(number), width, band); break;
    case GST_VIDEO_FORMAT_YUY2: stampYuy2(frame, static_cast<int>(number), width, band); break;
    case GST_VIDEO_FORMAT_I420: stampI420(frame, static_cast<int>(number), width, band); break;
    default: return GST_FLOW_NOT_NEGOTIATED;
    }
    return GST_FLOW_OK;
}

gboolean startFilter(GstBaseTransform *transform)
{
    auto *self = FRAMETIDE_STAMP_FILTER(transform);
    self->frames = 0;
    if (self->failStart) {
        GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ, ("The camera is busy."), ("fail-start is set"));
        return FALSE;
    }
    return TRUE;
}

void setProperty(GObject *object, guint id, const GValue *value, GParamSpec *spec)
{
    auto *self = FRAMETIDE_STAMP_FILTER(object);
    switch (id) {
    case PROP_FAIL_AFTER: self->failAfter = g_value_get_uint(value); break;
    case PROP_FAIL_START: self->failStart = g_value_get_boolean(value); break;
    default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void getProperty(GObject *object, guint id, GValue *value, GParamSpec *spec)
{
    auto *self = FRAMETIDE_STAMP_FILTER(object);
    switch (id) {
    case PROP_FAIL_AFTER: g_value_set_uint(value, self->failAfter); break;
    case PROP_FAIL_START: g_value_set_boolean(value, self->failStart); break;
    default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

} // namespace

static void frametide_stamp_filter_class_init(FrametideStampFilterClass *klass)
{
    auto *objectClass = G_OBJECT_CLASS(klass);
    objectClass->set_property = setProperty;
    objectClass->get_property = getProperty;
    g_object_class_install_property(objectClass, PROP_FAIL_AFTER,
        g_param_spec_uint("fail-after", "Fail after", "Post an error after this many frames (0: never)", 0,
                          G_MAXUINT, 0, static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    g_object_class_install_property(objectClass, PROP_FAIL_START,
        g_param_spec_boolean("fail-start", "Fail start", "Refuse to start", FALSE,
                             static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));

    auto *elementClass = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(elementClass, "Frametide frame stamp", "Filter/Effect/Video",
                                          "Writes the frame number as black and white cells", "Frametide");
    GstCaps *caps = gst_caps_from_string("video/x-raw, format=(string){ YUY2, I420, BGRx }");
    gst_element_class_add_pad_template(elementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
    gst_element_class_add_pad_template(elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);

    GST_BASE_TRANSFORM_CLASS(klass)->start = startFilter;
    GST_VIDEO_FILTER_CLASS(klass)->transform_frame_ip = stampFrame;
}

static void frametide_stamp_filter_init(FrametideStampFilter *self)
{
    self->failAfter = 0;
    self->failStart = FALSE;
    self->frames = 0;
}
