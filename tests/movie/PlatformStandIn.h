// A scripted stand-in for the device-context and heap calls: real enough to
// hold a frame buffer, it records the arguments and fails the step it is told to.
#pragma once

#include "platform/win/WinTypes.h"

namespace stand_in {

struct PlatformScript {
    bool failCreateDC = false;
    bool failHeapCreate = false;
    bool failHeapAlloc = false;

    int createDCCalls = 0;
    int heapCreateCalls = 0;
    DWORD heapOptions = 0;
    SIZE_T heapInitialSize = 0;
    SIZE_T heapMaximumSize = 1;
    int heapAllocCalls = 0;
    DWORD allocFlags = 0;
    SIZE_T allocBytes = 0;
    DWORD freeFlags = 0;
    LPVOID lastBlock = nullptr;
    int liveContexts = 0;
    int liveHeaps = 0;
    int liveBlocks = 0;
};

PlatformScript &Platform();
void ResetPlatform();

} // namespace stand_in
