// The camera pipeline and its one-frame hand-off slot.
#include "platform/capture/VideoCapturePipeline.h"

namespace {

constexpr qint64 kNanosecondsPerMediaUnit = 100;

GstElementPtr makeElement(const char *factory)
{
    return GstElementPtr(gst_element_factory_make(factory, nullptr));
}

// Frame time: the buffer's running time, which for a live camera starts near 0
// when the pipeline starts and follows the pipeline clock.
qint64 runningTimeOf(GstSample *sample, GstElement *pipeline)
{
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    GstClockTime pts = buffer ? GST_BUFFER_PTS(buffer) : GST_CLOCK_TIME_NONE;
    GstClockTime running = GST_CLOCK_TIME_NONE;
    if (GST_CLOCK_TIME_IS_VALID(pts)) {
        const GstSegment *segment = gst_sample_get_segment(sample);
        running = segment ? gst_segment_to_running_time(segment, GST_FORMAT_TIME, pts) : pts;
    }
    if (!GST_CLOCK_TIME_IS_VALID(running)) {
        // No time stamp: take the clock's running time now.
        if (GstClock *clock = gst_element_get_clock(pipeline)) {
            GstClockTime now = gst_clock_get_time(clock);
            GstClockTime base = gst_element_get_base_time(pipeline);
            running = now > base ? now - base : 0;
            gst_object_unref(clock);
        } else {
            running = 0;
        }
    }
    return static_cast<qint64>(running / kNanosecondsPerMediaUnit);
}

} // namespace

std::unique_ptr<TVideoCapturePipeline> TVideoCapturePipeline::Start(GstDevice *device, Callbacks callbacks)
{
    std::unique_ptr<TVideoCapturePipeline> pipeline(new TVideoCapturePipeline(std::move(callbacks)));
    if (!pipeline->Build(device) || !pipeline->Run())
        return nullptr;
    return pipeline;
}

TVideoCapturePipeline::TVideoCapturePipeline(Callbacks callbacks) : m_callbacks(std::move(callbacks)) {}

TVideoCapturePipeline::~TVideoCapturePipeline()
{
    Shutdown();
}

bool TVideoCapturePipeline::Build(GstDevice *device)
{
    m_pipeline.reset(gst_pipeline_new("frametide-camera"));
    gst_object_ref_sink(m_pipeline.get());
    GstElement *source = gst_device_create_element(device, nullptr);
    GstElementPtr convert = makeElement("videoconvert");
    GstElementPtr sink = makeElement("appsink");
    if (!m_pipeline || !source || !convert || !sink) {
        if (source)
            gst_object_unref(gst_object_ref_sink(source));
        return false;
    }

    GstCapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr));
    // One buffer at most, never waiting on the clock: the preview wants the newest frame.
    g_object_set(sink.get(), "caps", caps.get(), "max-buffers", 1u, "drop", TRUE, "sync", FALSE,
                 "enable-last-sample", FALSE, nullptr);
    GstAppSinkCallbacks sinkCallbacks{};
    sinkCallbacks.new_sample = &TVideoCapturePipeline::OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &sinkCallbacks, this, nullptr);

    GstElement *convertElement = convert.release();
    GstElement *sinkElement = sink.release();
    gst_bin_add_many(GST_BIN(m_pipeline.get()), source, convertElement, sinkElement, nullptr);

    // Messages are handled as they are posted and then dropped: nothing drains the bus otherwise.
    m_bus.reset(gst_element_get_bus(m_pipeline.get()));
    gst_bus_set_sync_handler(m_bus.get(), &TVideoCapturePipeline::OnBusMessage, this, nullptr);

    return gst_element_link_many(source, convertElement, sinkElement, nullptr);
}

bool TVideoCapturePipeline::Run()
{
    return gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

void TVideoCapturePipeline::Shutdown()
{
    if (m_pipeline) {
        // Joins the streaming threads; they never wait for the GUI thread, so this cannot deadlock.
        gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
    }
    if (m_bus)
        gst_bus_set_sync_handler(m_bus.get(), nullptr, nullptr, nullptr);
    ReleaseFrame();
}

GstSample *TVideoCapturePipeline::WaitingFrame() const
{
    std::lock_guard lock(m_slotLock);
    return m_waiting.get();
}

qint64 TVideoCapturePipeline::WaitingFrameTime() const
{
    std::lock_guard lock(m_slotLock);
    return m_waitingTime;
}

void TVideoCapturePipeline::ReleaseFrame()
{
    GstSamplePtr released;
    std::lock_guard lock(m_slotLock);
    released = std::move(m_waiting);
}

void TVideoCapturePipeline::TakeSample(GstSamplePtr sample)
{
    {
        std::lock_guard lock(m_slotLock);
        if (m_waiting)
            return;   // dropped: the GUI thread has not taken the last one yet
        m_waitingTime = runningTimeOf(sample.get(), m_pipeline.get());
        m_waiting = std::move(sample);
    }
    m_callbacks.FrameWaiting();
}

GstFlowReturn TVideoCapturePipeline::OnNewSample(GstAppSink *sink, gpointer self)
{
    GstSamplePtr sample(gst_app_sink_pull_sample(sink));
    if (sample)
        static_cast<TVideoCapturePipeline *>(self)->TakeSample(std::move(sample));
    return GST_FLOW_OK;
}

GstBusSyncReply TVideoCapturePipeline::OnBusMessage(GstBus *, GstMessage *message, gpointer self)
{
    GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS)
        static_cast<TVideoCapturePipeline *>(self)->m_callbacks.Failed();
    // A handler that drops a message owns it: each one holds a reference to the
    // element that posted it, so a kept message keeps the whole pipeline alive.
    gst_message_unref(message);
    return GST_BUS_DROP;
}
