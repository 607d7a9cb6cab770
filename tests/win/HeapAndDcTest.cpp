// Private heaps and memory device contexts: zero-fill, limits, and refusal of
// handles and blocks this layer did not hand out.
#include "platform/win/WinGdi.h"
#include "platform/win/WinHeap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TEST(Heap, ZeroMemoryFlagGivesAZeroFilledBlock)
{
    const HANDLE heap = HeapCreate(HEAP_NO_SERIALIZE, 4096, 0);
    ASSERT_NE(heap, nullptr);
    // Dirty memory first, so a block that merely reuses it would show.
    for (int i = 0; i < 8; ++i) {
        auto *dirty = static_cast<BYTE *>(HeapAlloc(heap, HEAP_NO_SERIALIZE, 1 << 16));
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xAB, 1 << 16);
        ASSERT_EQ(HeapFree(heap, HEAP_NO_SERIALIZE, dirty), TRUE);
    }
    const SIZE_T size = 640 * 480 * 4;
    auto *block = static_cast<BYTE *>(HeapAlloc(heap, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY, size));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(std::all_of(block, block + size, [](BYTE b) { return b == 0; }));
    EXPECT_EQ(HeapDestroy(heap), TRUE);
}

TEST(Heap, GrowableHeapServesBlocksBeyondItsInitialSize)
{
    const HANDLE heap = HeapCreate(HEAP_NO_SERIALIZE, 16, 0);
    ASSERT_NE(heap, nullptr);
    EXPECT_NE(HeapAlloc(heap, HEAP_ZERO_MEMORY, 1 << 20), nullptr);
    EXPECT_NE(HeapAlloc(heap, HEAP_ZERO_MEMORY, 1 << 20), nullptr);
    EXPECT_EQ(HeapDestroy(heap), TRUE) << "destroying frees the blocks still in it";
}

TEST(Heap, FixedMaximumIsKept)
{
    EXPECT_EQ(HeapCreate(0, 200, 100), nullptr);
    const HANDLE heap = HeapCreate(0, 0, 100);
    ASSERT_NE(heap, nullptr);
    EXPECT_NE(HeapAlloc(heap, 0, 60), nullptr);
    EXPECT_EQ(HeapAlloc(heap, 0, 60), nullptr);
    EXPECT_NE(HeapAlloc(heap, 0, 40), nullptr);
    HeapDestroy(heap);
}

TEST(Heap, ForeignOrSpentHandlesAndBlocksAreRefused)
{
    const HANDLE heap = HeapCreate(0, 0, 0);
    const HANDLE other = HeapCreate(0, 0, 0);
    LPVOID block = HeapAlloc(heap, 0, 32);
    int local = 0;

    EXPECT_EQ(HeapFree(other, 0, block), FALSE) << "block of another heap";
    EXPECT_EQ(HeapFree(heap, 0, &local), FALSE) << "memory no heap handed out";
    EXPECT_EQ(HeapFree(heap, 0, block), TRUE);
    EXPECT_EQ(HeapFree(heap, 0, block), FALSE) << "freed twice";

    EXPECT_EQ(HeapDestroy(heap), TRUE);
    EXPECT_EQ(HeapDestroy(heap), FALSE) << "destroyed twice";
    EXPECT_EQ(HeapAlloc(heap, 0, 8), nullptr);
    EXPECT_EQ(HeapAlloc(&local, 0, 8), nullptr) << "forged heap";
    EXPECT_EQ(HeapDestroy(nullptr), FALSE);
    HeapDestroy(other);
}

TEST(DeviceContext, EachContextIsDeletedOnce)
{
    const HDC first = CreateCompatibleDC(nullptr);
    const HDC second = CreateCompatibleDC(nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(DeleteDC(first), TRUE);
    EXPECT_EQ(DeleteDC(first), FALSE);
    EXPECT_EQ(DeleteDC(nullptr), FALSE);
    EXPECT_EQ(DeleteDC(second), TRUE);
}

} // namespace
