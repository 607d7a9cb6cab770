// Capture devices: names and states, and the camera's start, stop and frame
// delivery to the GUI thread.
#include "platform/capture/CaptureDevices.h"

#include "platform/capture/PixelRows.h"
#include "platform/capture/VideoCapturePipeline.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/EventHandler.h"

#include <gst/video/video.h>

#include <QMetaObject>

#include <utility>

namespace {

QString displayNameOf(GstDevice *device)
{
    GCharPtr name(gst_device_get_display_name(device));
    return QString::fromUtf8(name.get());
}

// Maps a frame's pixels for reading and unmaps them on every way out.
class MappedFrame {
public:
    explicit MappedFrame(GstSample *sample)
    {
        GstCaps *caps = gst_sample_get_caps(sample);
        m_described = caps && gst_video_info_from_caps(&m_info, caps)
                      && GST_VIDEO_INFO_FORMAT(&m_info) == GST_VIDEO_FORMAT_BGRx;
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        m_mapped = m_described && buffer && gst_video_frame_map(&m_frame, &m_info, buffer, GST_MAP_READ);
    }
    ~MappedFrame()
    {
        if (m_mapped)
            gst_video_frame_unmap(&m_frame);
    }
    MappedFrame(const MappedFrame &) = delete;
    MappedFrame &operator=(const MappedFrame &) = delete;

    bool Described() const { return m_described; }
    bool Mapped() const { return m_mapped; }
    int Width() const { return GST_VIDEO_INFO_WIDTH(&m_info); }
    int Height() const { return GST_VIDEO_INFO_HEIGHT(&m_info); }
    const uchar *Row(int y) const
    {
        return static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&m_frame, 0))
               + static_cast<qsizetype>(y) * GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 0);
    }

private:
    GstVideoInfo m_info;
    GstVideoFrame m_frame;
    bool m_described = false;
    bool m_mapped = false;
};

} // namespace

TCaptureDevice::TCaptureDevice(GstDevice *device, TMediaType mediaType)
    : m_device(device), m_name(displayNameOf(device)), m_mediaType(mediaType)
{
}

TCaptureDevice::~TCaptureDevice()
{
    gst_object_unref(m_device);
}

void TCaptureDevice::StopCapture()
{
    m_state = TCaptureDeviceState::Stopped;
}

TAudioCaptureDevice::TAudioCaptureDevice(GstDevice *device) : TCaptureDevice(device, TMediaType::Audio) {}

TVideoCaptureDevice::TVideoCaptureDevice(GstDevice *device) : TCaptureDevice(device, TMediaType::Video) {}

TVideoCaptureDevice::~TVideoCaptureDevice()
{
    StopCapture();
}

void TVideoCaptureDevice::StartCapture()
{
    if (State() == TCaptureDeviceState::Capturing)
        StopCapture();
    const quint64 generation = ++m_generation;
    TVideoCapturePipeline::Callbacks callbacks;
    // Posted to this object's thread; a post that outlives the run it came
    // from carries an old generation and is ignored.
    callbacks.FrameWaiting = [this, generation] {
        QMetaObject::invokeMethod(this, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
    };
    callbacks.Failed = [this, generation] {
        QMetaObject::invokeMethod(this, [this, generation] { Fail(generation); }, Qt::QueuedConnection);
    };
    m_pipeline = TVideoCapturePipeline::Start(Device(), std::move(callbacks));
    SetState(m_pipeline ? TCaptureDeviceState::Capturing : TCaptureDeviceState::Stopped);
}

void TVideoCaptureDevice::StopCapture()
{
    ++m_generation;
    m_pipeline.reset();
    TCaptureDevice::StopCapture();
}

void TVideoCaptureDevice::Deliver(quint64 generation)
{
    if (generation != m_generation || !m_pipeline || !m_pipeline->WaitingFrame())
        return;
    const TMediaTime time = m_pipeline->WaitingFrameTime();
    // The frame stays in the slot while the handler runs, so frames arriving
    // meanwhile (also during a message box about a failed handler) are dropped.
    const bool outerDelivery = std::exchange(m_delivering, true);
    RunEventHandler([this, time] {
        if (OnSampleBufferReady)
            OnSampleBufferReady(this, time);
    });
    m_delivering = outerDelivery;
    // The handler may have stopped or restarted the camera.
    if (generation == m_generation && m_pipeline)
        m_pipeline->ReleaseFrame();
}

void TVideoCaptureDevice::Fail(quint64 generation)
{
    if (generation == m_generation && m_pipeline)
        StopCapture();
}

void TVideoCaptureDevice::SampleBufferToBitmap(TBitmap *ABitmap, bool ASetSize)
{
    // Only inside the handler: outside it the slot may hold a frame whose delivery is still queued.
    GstSample *sample = m_delivering && m_pipeline ? m_pipeline->WaitingFrame() : nullptr;
    if (!sample)
        throw EBitmapIncorrectSize();
    MappedFrame frame(sample);
    if (!frame.Described())
        throw EBitmapIncorrectSize();
    if (!frame.Mapped())
        throw ERetrieveSurfaceContents();
    if (!ABitmap)
        throw EAcquireBitmapAccess();
    if (ASetSize)
        ABitmap->SetSize(frame.Width(), frame.Height());
    if (ABitmap->Width() != frame.Width() || ABitmap->Height() != frame.Height())
        throw EAcquireBitmapAccess();
    for (int y = 0; y < frame.Height(); ++y)
        CopyRowOpaque(frame.Row(y), ABitmap->ScanLine(y), frame.Width());
    ABitmap->Changed();
}
