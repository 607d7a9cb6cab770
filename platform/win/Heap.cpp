// Private heaps over the C++ allocator. A heap keeps its blocks so that
// HeapDestroy frees what is left, as on Windows.
#include "platform/win/WinHeap.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <unordered_set>

namespace {

struct PrivateHeap {
    SIZE_T maximumSize = 0; // 0: growable
    SIZE_T allocated = 0;
    std::unordered_map<LPVOID, std::pair<std::unique_ptr<BYTE[]>, SIZE_T>> blocks;
};

struct HeapTable {
    std::mutex lock;
    std::unordered_set<PrivateHeap *> live;
};

HeapTable &TheHeaps()
{
    static HeapTable table;
    return table;
}

// Null unless the handle names a live heap; the handle is compared, not dereferenced.
PrivateHeap *FindHeap(HeapTable &table, HANDLE handle)
{
    const auto found = table.live.find(static_cast<PrivateHeap *>(handle));
    return found == table.live.end() ? nullptr : *found;
}

bool ExceedsMaximum(const PrivateHeap &heap, SIZE_T bytes)
{
    return heap.maximumSize != 0 && (bytes > heap.maximumSize || heap.allocated > heap.maximumSize - bytes);
}

} // namespace

HANDLE HeapCreate(DWORD, SIZE_T dwInitialSize, SIZE_T dwMaximumSize)
{
    if (dwMaximumSize != 0 && dwInitialSize > dwMaximumSize)
        return nullptr;
    auto heap = std::make_unique<PrivateHeap>();
    heap->maximumSize = dwMaximumSize;
    HeapTable &table = TheHeaps();
    std::lock_guard guard(table.lock);
    table.live.insert(heap.get());
    return heap.release();
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes)
{
    HeapTable &table = TheHeaps();
    std::lock_guard guard(table.lock);
    PrivateHeap *heap = FindHeap(table, hHeap);
    if (heap == nullptr || ExceedsMaximum(*heap, dwBytes))
        return nullptr;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[dwBytes == 0 ? 1 : dwBytes]);
    if (!block)
        return nullptr;
    if (dwFlags & HEAP_ZERO_MEMORY)
        std::memset(block.get(), 0, dwBytes);
    LPVOID address = block.get();
    heap->blocks.emplace(address, std::make_pair(std::move(block), dwBytes));
    heap->allocated += dwBytes;
    return address;
}

BOOL HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem)
{
    HeapTable &table = TheHeaps();
    std::lock_guard guard(table.lock);
    PrivateHeap *heap = FindHeap(table, hHeap);
    if (heap == nullptr)
        return FALSE;
    const auto found = heap->blocks.find(lpMem);
    if (found == heap->blocks.end())
        return FALSE;
    heap->allocated -= found->second.second;
    heap->blocks.erase(found);
    return TRUE;
}

BOOL HeapDestroy(HANDLE hHeap)
{
    HeapTable &table = TheHeaps();
    std::lock_guard guard(table.lock);
    PrivateHeap *heap = FindHeap(table, hHeap);
    if (heap == nullptr)
        return FALSE;
    table.live.erase(heap);
    std::unique_ptr<PrivateHeap> owned(heap);
    return TRUE;
}
