// Private heaps with Windows' signatures and meaning, over the C++ allocator.
// Heap handles and blocks are checked before use: anything this layer did not
// hand out (or has already taken back) is refused.
#pragma once

#include "platform/win/WinTypes.h"

// A growable heap when dwMaximumSize is 0; otherwise no allocation may take it
// past dwMaximumSize. Null when dwInitialSize exceeds a non-zero maximum.
HANDLE HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize);
// Zero-filled with HEAP_ZERO_MEMORY; null when the memory is not there.
LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
// Frees every block still in the heap.
BOOL HeapDestroy(HANDLE hHeap);
