// "frametidestamp": an in-place video filter that writes the frame number as
// the frame stamp into every frame, and can play a broken camera
// (fail-after: an error after N frames; fail-start: refuses to start).
#pragma once

#include <gst/video/gstvideofilter.h>

G_BEGIN_DECLS

#define FRAMETIDE_TYPE_STAMP_FILTER (frametide_stamp_filter_get_type())
G_DECLARE_FINAL_TYPE(FrametideStampFilter, frametide_stamp_filter, FRAMETIDE, STAMP_FILTER, GstVideoFilter)

G_END_DECLS
