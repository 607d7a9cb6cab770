// Shared pieces of the capture service tests.
#include "tests/capture/CaptureFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>

void UseVirtualDevices(const char *devices)
{
    setenv("FRAMETIDE_TEST_DEVICES", devices, 1);
}

bool RunEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    return true;
}

void RunEventsFor(int ms)
{
    RunEventsUntil([] { return false; }, ms);
}

TVideoCaptureDevice *CameraNamed(const QString &name)
{
    TCaptureDevice *device = TCaptureDeviceManager::Current().GetDevicesByName(name);
    if (!device || device->MediaType() != TMediaType::Video)
        return nullptr;
    return static_cast<TVideoCaptureDevice *>(device);
}
