// Owning handles for the GStreamer objects the capture service keeps: each
// releases its reference when it goes out of scope.
#pragma once

#include <gst/gst.h>

#include <memory>

struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstSampleUnref {
    void operator()(GstSample *sample) const { gst_sample_unref(sample); }
};
struct GstCapsUnref {
    void operator()(GstCaps *caps) const { gst_caps_unref(caps); }
};
struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstDevicePtr = std::unique_ptr<GstDevice, GstObjectUnref>;
using GstDeviceMonitorPtr = std::unique_ptr<GstDeviceMonitor, GstObjectUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;
