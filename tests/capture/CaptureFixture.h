// Shared pieces of the capture service tests: virtual devices named before the
// manager's first request, and an event loop run until something happens.
#pragma once

#include "platform/capture/CaptureDevices.h"

#include <QString>

#include <functional>

// Names the virtual devices of this test process; call before the manager's first request.
void UseVirtualDevices(const char *devices);

// Processes GUI events until done() holds or timeoutMs pass; returns done().
bool RunEventsUntil(const std::function<bool()> &done, int timeoutMs);

// Processes GUI events for ms milliseconds.
void RunEventsFor(int ms);

// The camera of that name, or a test failure.
TVideoCaptureDevice *CameraNamed(const QString &name);
