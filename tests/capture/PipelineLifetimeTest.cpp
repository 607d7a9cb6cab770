// A stopped camera frees its pipeline, and with it the frames and buffer pools
// the pipeline held: starting and stopping over and over must not grow.
#include "tests/capture/CaptureFixture.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QByteArray>

namespace {

// GStreamer's leak tracer (watching pipelines only), asked how many are alive;
// -1 when the tracer is not running.
int LivePipelines()
{
    int count = -1;
    GList *tracers = gst_tracing_get_active_tracers();
    for (GList *t = tracers; t; t = t->next) {
        if (g_strcmp0(G_OBJECT_TYPE_NAME(t->data), "GstLeaksTracer") != 0)
            continue;
        GstStructure *live = nullptr;
        g_signal_emit_by_name(t->data, "get-live-objects", &live);
        const GValue *objects = live ? gst_structure_get_value(live, "live-objects-list") : nullptr;
        count = objects ? static_cast<int>(gst_value_list_get_size(objects)) : 0;
        if (live)
            gst_structure_free(live);
    }
    g_list_free_full(tracers, gst_object_unref);
    return count;
}

TEST(CameraLifetime, StoppedPipelinesAreFreedWithTheirFrames)
{
    // Set before GStreamer starts, which is at the manager's first request.
    qputenv("GST_TRACERS", "leaks(filters=GstPipeline)");
    UseVirtualDevices("video:Cam:320x240@30");
    TVideoCaptureDevice *camera = CameraNamed("Cam");
    ASSERT_NE(camera, nullptr);
    int frames = 0;
    camera->OnSampleBufferReady = [&](QObject *, const TMediaTime &) { ++frames; };
    for (int run = 0; run < 3; ++run) {
        camera->StartCapture();
        ASSERT_TRUE(RunEventsUntil([&] { return frames > 2 * run + 2; }, 5000));
        camera->StopCapture();
    }
    EXPECT_EQ(LivePipelines(), 0);
}

} // namespace
