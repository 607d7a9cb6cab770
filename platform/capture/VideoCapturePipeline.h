// One running camera: device element -> videoconvert -> appsink (BGRx at the
// camera's own size), and the single slot that holds the frame waiting for
// the GUI thread. The streaming thread never waits for the GUI thread: a frame
// that arrives while the slot is full is dropped.
#pragma once

#include "platform/capture/GstHandles.h"

#include <gst/app/gstappsink.h>

#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>

class TVideoCapturePipeline {
public:
    // Both run on GStreamer's threads and must return at once.
    struct Callbacks {
        std::function<void()> FrameWaiting;   // the slot has just been filled
        std::function<void()> Failed;         // error or end of stream: no more frames
    };

    // A running pipeline, or null when the camera cannot be started.
    static std::unique_ptr<TVideoCapturePipeline> Start(GstDevice *device, Callbacks callbacks);

    // Stops the pipeline (joins its threads) and drops the waiting frame.
    ~TVideoCapturePipeline();

    // The waiting frame, or null. Stays valid until ReleaseFrame.
    GstSample *WaitingFrame() const;
    // The waiting frame's running time since the start, in 100 ns units.
    qint64 WaitingFrameTime() const;
    // Empties the slot so that the next frame can be taken.
    void ReleaseFrame();

    TVideoCapturePipeline(const TVideoCapturePipeline &) = delete;
    TVideoCapturePipeline &operator=(const TVideoCapturePipeline &) = delete;

private:
    explicit TVideoCapturePipeline(Callbacks callbacks);
    bool Build(GstDevice *device);
    bool Run();
    void Shutdown();

    static GstFlowReturn OnNewSample(GstAppSink *sink, gpointer self);
    static GstBusSyncReply OnBusMessage(GstBus *bus, GstMessage *message, gpointer self);
    void TakeSample(GstSamplePtr sample);

    Callbacks m_callbacks;
    GstElementPtr m_pipeline;
    GstBusPtr m_bus;

    mutable std::mutex m_slotLock;
    GstSamplePtr m_waiting;
    qint64 m_waitingTime = 0;
};
