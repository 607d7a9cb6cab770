// The device list: probed once through GstDeviceMonitor on a worker thread,
// bounded in time so that a hanging provider cannot hang start-up.
#include "platform/capture/CaptureDevices.h"

#include "platform/capture/GstHandles.h"

#include <QLocale>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr auto kProbeTimeout = std::chrono::seconds(5);

void freeDevices(GList *devices)
{
    g_list_free_full(devices, gst_object_unref);
}

// Shared by the caller and the probe thread; the thread may outlive the wait.
struct ProbeResult {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    GList *devices = nullptr;
};

void probe(const std::shared_ptr<ProbeResult> &result)
{
    GstDeviceMonitorPtr monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    gst_device_monitor_add_filter(monitor.get(), "Audio/Source", nullptr);
    GList *devices = gst_device_monitor_get_devices(monitor.get());
    std::lock_guard guard(result->lock);
    if (result->abandoned) {
        freeDevices(devices);
        return;
    }
    result->devices = devices;
    result->finished = true;
    result->done.notify_all();
}

// The devices in the monitor's order; empty when probing takes too long.
GList *probeDevices()
{
    auto result = std::make_shared<ProbeResult>();
    std::thread worker(probe, result);
    std::unique_lock guard(result->lock);
    if (!result->done.wait_for(guard, kProbeTimeout, [&] { return result->finished; })) {
        result->abandoned = true;
        guard.unlock();
        worker.detach();
        return nullptr;
    }
    guard.unlock();
    worker.join();
    return result->devices;
}

bool isCamera(GstDevice *device)
{
    return gst_device_has_classes(device, "Video/Source");
}

} // namespace

TCaptureDeviceManager &TCaptureDeviceManager::Current()
{
    static TCaptureDeviceManager manager;
    return manager;
}

TCaptureDeviceManager::TCaptureDeviceManager()
{
    // Without GStreamer there are no devices; that is no reason to end the program.
    GError *error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        g_clear_error(&error);
        return;
    }
    GList *devices = probeDevices();
    for (GList *item = devices; item; item = item->next) {
        auto *device = static_cast<GstDevice *>(item->data);
        if (!isCamera(device))
            m_devices.push_back(std::make_unique<TAudioCaptureDevice>(GST_DEVICE(gst_object_ref(device))));
    }
    for (GList *item = devices; item; item = item->next) {
        auto *device = static_cast<GstDevice *>(item->data);
        if (isCamera(device))
            m_devices.push_back(std::make_unique<TVideoCaptureDevice>(GST_DEVICE(gst_object_ref(device))));
    }
    freeDevices(devices);
}

TCaptureDeviceManager::~TCaptureDeviceManager()
{
    for (auto &device : m_devices)
        device->StopCapture();
}

TCaptureDevice *TCaptureDeviceManager::GetDevicesByName(const QString &Name) const
{
    const QLocale locale;
    const QString wanted = locale.toLower(Name);
    TCaptureDevice *found = nullptr;
    for (const auto &device : m_devices) {
        if (locale.toLower(device->Name()) == wanted)
            found = device.get();
    }
    return found;
}
