// The capture device service: lists the cameras and audio inputs that
// GStreamer finds and delivers camera frames to the GUI thread.
// Call it from the GUI thread only.
#pragma once

#include "platform/runtime/SysUtils.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TBitmap;
typedef struct _GstDevice GstDevice;

enum class TMediaType { Audio = 0, Video = 1 };
enum class TCaptureDeviceState { Capturing, Stopped };

// A signed count of 100 ns units.
using TMediaTime = qint64;

using TSampleBufferReadyEvent = std::function<void(QObject *Sender, const TMediaTime &ATime)>;

// Raised by SampleBufferToBitmap.
class EBitmapIncorrectSize : public Exception {
public:
    EBitmapIncorrectSize() : Exception(QStringLiteral("Could not retrieve surface description.")) {}
};
class ERetrieveSurfaceContents : public Exception {
public:
    ERetrieveSurfaceContents() : Exception(QStringLiteral("Could not retrieve surface contents.")) {}
};
class EAcquireBitmapAccess : public Exception {
public:
    EAcquireBitmapAccess() : Exception(QStringLiteral("Failed acquiring access to bitmap.")) {}
};

class TCaptureDevice : public QObject {
public:
    ~TCaptureDevice() override;

    QString Name() const { return m_name; }
    TMediaType MediaType() const { return m_mediaType; }
    TCaptureDeviceState State() const { return m_state; }

    // Stops and releases the device's pipeline; nothing when Stopped.
    virtual void StopCapture();

protected:
    TCaptureDevice(GstDevice *device, TMediaType mediaType);

    GstDevice *Device() const { return m_device; }
    void SetState(TCaptureDeviceState state) { m_state = state; }

private:
    GstDevice *m_device;   // owned: one reference
    QString m_name;
    TMediaType m_mediaType;
    TCaptureDeviceState m_state = TCaptureDeviceState::Stopped;
};

class TAudioCaptureDevice : public TCaptureDevice {
public:
    explicit TAudioCaptureDevice(GstDevice *device);
};

class TVideoCapturePipeline;

class TVideoCaptureDevice : public TCaptureDevice {
public:
    explicit TVideoCaptureDevice(GstDevice *device);
    ~TVideoCaptureDevice() override;

    // Runs on the GUI thread for each delivered frame; ATime is the frame's
    // running time since StartCapture (its time stamp on the pipeline clock).
    // One frame at most waits for it; frames arriving meanwhile are dropped.
    // An exception leaving it is shown and the capture goes on.
    TSampleBufferReadyEvent OnSampleBufferReady;

    // Stops a capturing device first; a device that cannot start stays Stopped.
    // A camera that fails while running (unplugged) turns Stopped by itself.
    void StartCapture();
    // Never waits for the GUI thread; a frame not yet delivered is discarded.
    void StopCapture() override;

    // Copies the frame being delivered into ABitmap (alpha 255) and calls its
    // Changed(). With ASetSize false the bitmap must already have the frame's size.
    void SampleBufferToBitmap(TBitmap *ABitmap, bool ASetSize);

private:
    void Deliver(quint64 generation);
    void Fail(quint64 generation);

    std::unique_ptr<TVideoCapturePipeline> m_pipeline;
    quint64 m_generation = 0;   // bumped by every start and stop; stale deliveries are ignored
    bool m_delivering = false;  // inside OnSampleBufferReady
};

class TCaptureDeviceManager {
public:
    // The one shared manager; the first request lists the devices.
    static TCaptureDeviceManager &Current();

    int Count() const { return static_cast<int>(m_devices.size()); }
    // Audio inputs first, then cameras, each in the platform's order.
    TCaptureDevice *Devices(int i) const { return m_devices.at(static_cast<size_t>(i)).get(); }
    // Case-insensitive under the user's locale; the last match wins; null if none.
    TCaptureDevice *GetDevicesByName(const QString &Name) const;

    TCaptureDeviceManager(const TCaptureDeviceManager &) = delete;
    TCaptureDeviceManager &operator=(const TCaptureDeviceManager &) = delete;
    ~TCaptureDeviceManager();

private:
    TCaptureDeviceManager();

    std::vector<std::unique_ptr<TCaptureDevice>> m_devices;
};
