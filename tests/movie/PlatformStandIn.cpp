// CreateCompatibleDC, DeleteDC and the heap calls as a script. Blocks are real
// memory, so the writer's frame copies land somewhere.
#include "PlatformStandIn.h"

#include "StandInLog.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinHeap.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace stand_in {
namespace {

char contextToken, heapToken;

std::map<LPVOID, std::unique_ptr<std::vector<BYTE>>> &Blocks()
{
    static std::map<LPVOID, std::unique_ptr<std::vector<BYTE>>> blocks;
    return blocks;
}

} // namespace

PlatformScript &Platform()
{
    static PlatformScript script;
    return script;
}

void ResetPlatform()
{
    Platform() = PlatformScript{};
    Blocks().clear();
}

} // namespace stand_in

using namespace stand_in;

HDC CreateCompatibleDC(HDC)
{
    CallLog().push_back("CreateCompatibleDC");
    PlatformScript &script = Platform();
    ++script.createDCCalls;
    if (script.failCreateDC)
        return nullptr;
    ++script.liveContexts;
    return reinterpret_cast<HDC>(&contextToken);
}

BOOL DeleteDC(HDC hdc)
{
    CallLog().push_back("DeleteDC");
    if (hdc != reinterpret_cast<HDC>(&contextToken))
        return FALSE;
    --Platform().liveContexts;
    return TRUE;
}

HANDLE HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize)
{
    CallLog().push_back("HeapCreate");
    PlatformScript &script = Platform();
    ++script.heapCreateCalls;
    script.heapOptions = flOptions;
    script.heapInitialSize = dwInitialSize;
    script.heapMaximumSize = dwMaximumSize;
    if (script.failHeapCreate)
        return nullptr;
    ++script.liveHeaps;
    return &heapToken;
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes)
{
    CallLog().push_back("HeapAlloc");
    PlatformScript &script = Platform();
    ++script.heapAllocCalls;
    script.allocFlags = dwFlags;
    script.allocBytes = dwBytes;
    if (script.failHeapAlloc || hHeap != &heapToken)
        return nullptr;
    // Dirty unless asked for zeros, so a missing flag shows.
    auto block = std::make_unique<std::vector<BYTE>>(dwBytes, (dwFlags & HEAP_ZERO_MEMORY) ? 0 : 0xCD);
    LPVOID address = block->data();
    Blocks().emplace(address, std::move(block));
    ++script.liveBlocks;
    script.lastBlock = address;
    return address;
}

BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem)
{
    CallLog().push_back("HeapFree");
    Platform().freeFlags = dwFlags;
    if (hHeap != &heapToken || Blocks().erase(lpMem) != 1)
        return FALSE;
    --Platform().liveBlocks;
    return TRUE;
}

BOOL HeapDestroy(HANDLE hHeap)
{
    CallLog().push_back("HeapDestroy");
    if (hHeap != &heapToken)
        return FALSE;
    --Platform().liveHeaps;
    return TRUE;
}
