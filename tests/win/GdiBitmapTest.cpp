// The hand-off bitmap read through GetObjectW and GetDIBits: sizes, bottom-up
// row order, byte values, padded 24-bit rows, and refusal of dead handles.
#include "platform/win/VclBitmap.h"
#include "platform/win/WinGdi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Pixel (x, y) of the pattern, y counted from the top: every byte tells where it came from.
std::uint32_t PatternPixel(int x, int y)
{
    return 0xFF000000u | static_cast<std::uint32_t>(y + 1) << 16 | static_cast<std::uint32_t>(x + 1) << 8 |
           static_cast<std::uint32_t>((x * 7 + y * 13) & 0xFF);
}

std::unique_ptr<Vcl::TBitmap> PatternBitmap(int width, int height)
{
    auto bitmap = std::make_unique<Vcl::TBitmap>();
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    bitmap->SetPixelFormat(Vcl::pf32bit);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(bitmap->ScanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = PatternPixel(x, y);
    }
    return bitmap;
}

BITMAPINFO HeaderFor(LONG width, LONG height, WORD bitCount)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::uint32_t ReadPixel32(const std::vector<BYTE> &buffer, std::size_t offset)
{
    return static_cast<std::uint32_t>(buffer[offset]) | static_cast<std::uint32_t>(buffer[offset + 1]) << 8 |
           static_cast<std::uint32_t>(buffer[offset + 2]) << 16 | static_cast<std::uint32_t>(buffer[offset + 3]) << 24;
}

TEST(GdiBitmap, GetObjectFillsTheBitmapRecord)
{
    const auto bitmap = PatternBitmap(7, 5);
    BITMAP description{};
    ASSERT_EQ(GetObjectW(bitmap->Handle(), sizeof description, &description), static_cast<int>(sizeof description));
    EXPECT_EQ(description.bmType, 0);
    EXPECT_EQ(description.bmWidth, 7);
    EXPECT_EQ(description.bmHeight, 5);
    EXPECT_EQ(description.bmWidthBytes, 28);
    EXPECT_EQ(description.bmPlanes, 1);
    EXPECT_EQ(description.bmBitsPixel, 32);
    EXPECT_EQ(GetObjectW(bitmap->Handle(), 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(GetObjectW(bitmap->Handle(), sizeof description - 1, &description), 0);
}

TEST(GdiBitmap, HeaderQueryWithNoBufferDescribesTheBitmap)
{
    const auto bitmap = PatternBitmap(640, 480);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_NE(GetDIBits(nullptr, bitmap->Handle(), 0, 0, nullptr, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(info.bmiHeader.biWidth, 640);
    EXPECT_EQ(info.bmiHeader.biHeight, 480);
    EXPECT_EQ(info.bmiHeader.biPlanes, 1);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    EXPECT_EQ(info.bmiHeader.biCompression, BI_RGB);
    EXPECT_EQ(info.bmiHeader.biSizeImage, 640u * 480u * 4u);
}

TEST(GdiBitmap, RowsComeOutBottomUpWithTheirBytesUnchanged)
{
    const int width = 5, height = 4;
    const auto bitmap = PatternBitmap(width, height);
    BITMAPINFO info = HeaderFor(width, height, 32);
    std::vector<BYTE> buffer(width * height * 4, 0xEE);
    ASSERT_EQ(GetDIBits(nullptr, bitmap->Handle(), 0, height, buffer.data(), &info, DIB_RGB_COLORS), height);
    for (int line = 0; line < height; ++line)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(ReadPixel32(buffer, (line * width + x) * 4), PatternPixel(x, height - 1 - line))
                << "line " << line << " x " << x;
    EXPECT_EQ(info.bmiHeader.biSizeImage, static_cast<DWORD>(width * height * 4));
}

TEST(GdiBitmap, NegativeHeightAsksForRowsTopDown)
{
    const auto bitmap = PatternBitmap(3, 3);
    BITMAPINFO info = HeaderFor(3, -3, 32);
    std::vector<BYTE> buffer(3 * 3 * 4);
    ASSERT_EQ(GetDIBits(nullptr, bitmap->Handle(), 0, 3, buffer.data(), &info, DIB_RGB_COLORS), 3);
    EXPECT_EQ(ReadPixel32(buffer, 0), PatternPixel(0, 0));
    EXPECT_EQ(ReadPixel32(buffer, 2 * 3 * 4), PatternPixel(0, 2));
}

TEST(GdiBitmap, StartLineAndLineCountCountFromTheBottomAndAreClamped)
{
    const auto bitmap = PatternBitmap(2, 4);
    BITMAPINFO info = HeaderFor(2, 4, 32);
    std::vector<BYTE> buffer(2 * 4 * 4, 0xEE);
    ASSERT_EQ(GetDIBits(nullptr, bitmap->Handle(), 1, 10, buffer.data(), &info, DIB_RGB_COLORS), 3);
    EXPECT_EQ(ReadPixel32(buffer, 0), PatternPixel(0, 2));
    EXPECT_EQ(ReadPixel32(buffer, 2 * 2 * 4), PatternPixel(0, 0));
    EXPECT_EQ(buffer[3 * 2 * 4], 0xEE) << "nothing past the lines copied";
    EXPECT_EQ(GetDIBits(nullptr, bitmap->Handle(), 4, 1, buffer.data(), &info, DIB_RGB_COLORS), 0);
}

struct PaddedRowCase {
    int width;
    int rowBytes;
};

class GdiBitmap24 : public testing::TestWithParam<PaddedRowCase> {};

TEST_P(GdiBitmap24, RowsArePaddedToFourBytesWithZeros)
{
    const auto [width, rowBytes] = GetParam();
    const int height = 3;
    const auto bitmap = PatternBitmap(width, height);
    BITMAPINFO info = HeaderFor(width, height, 24);
    std::vector<BYTE> buffer(rowBytes * height + 16, 0xEE);
    ASSERT_EQ(GetDIBits(nullptr, bitmap->Handle(), 0, height, buffer.data(), &info, DIB_RGB_COLORS), height);
    EXPECT_EQ(info.bmiHeader.biSizeImage, static_cast<DWORD>(rowBytes * height));
    for (int line = 0; line < height; ++line) {
        const BYTE *row = buffer.data() + line * rowBytes;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t expected = PatternPixel(x, height - 1 - line);
            EXPECT_EQ(row[x * 3 + 0], expected & 0xFF);
            EXPECT_EQ(row[x * 3 + 1], (expected >> 8) & 0xFF);
            EXPECT_EQ(row[x * 3 + 2], (expected >> 16) & 0xFF);
        }
        for (int pad = width * 3; pad < rowBytes; ++pad)
            EXPECT_EQ(row[pad], 0) << "padding of line " << line;
    }
    EXPECT_EQ(buffer[rowBytes * height], 0xEE) << "nothing past the image";
}

INSTANTIATE_TEST_SUITE_P(OddAndEvenWidths, GdiBitmap24,
                         testing::Values(PaddedRowCase{1, 4}, PaddedRowCase{2, 8}, PaddedRowCase{3, 12},
                                         PaddedRowCase{4, 12}, PaddedRowCase{5, 16}, PaddedRowCase{641, 1924}));

TEST(GdiBitmap, HeaderOfAnotherSizeOrDepthIsRefused)
{
    const auto bitmap = PatternBitmap(4, 4);
    std::vector<BYTE> buffer(64 * 64 * 4, 0xEE);
    for (BITMAPINFO info : {HeaderFor(5, 4, 32), HeaderFor(4, 5, 32), HeaderFor(4, 4, 16), HeaderFor(4, 4, 8)}) {
        EXPECT_EQ(GetDIBits(nullptr, bitmap->Handle(), 0, 4, buffer.data(), &info, DIB_RGB_COLORS), 0);
    }
    EXPECT_EQ(buffer[0], 0xEE);
}

enum class DeadHandle { Null, Freed, Forged };

class GdiRefusedHandle : public testing::TestWithParam<DeadHandle> {
protected:
    static HBITMAP MakeHandle(DeadHandle kind)
    {
        switch (kind) {
        case DeadHandle::Null:
            return nullptr;
        case DeadHandle::Freed:
            return PatternBitmap(4, 4)->Handle();
        case DeadHandle::Forged:
            break;
        }
        static std::uint32_t notABitmap = 0xDEADBEEF;
        return reinterpret_cast<HBITMAP>(&notABitmap);
    }
};

TEST_P(GdiRefusedHandle, NothingIsReadOrFilled)
{
    const HBITMAP handle = MakeHandle(GetParam());
    BITMAP description{};
    description.bmWidth = 77;
    EXPECT_EQ(GetObjectW(handle, sizeof description, &description), 0);
    EXPECT_EQ(GetObjectW(handle, 0, nullptr), 0);
    EXPECT_EQ(description.bmWidth, 77);

    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(nullptr, handle, 0, 0, nullptr, &query, DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.bmiHeader.biWidth, 0);

    BITMAPINFO info = HeaderFor(4, 4, 32);
    std::vector<BYTE> buffer(64, 0xEE);
    EXPECT_EQ(GetDIBits(nullptr, handle, 0, 4, buffer.data(), &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(buffer[0], 0xEE);
}

INSTANTIATE_TEST_SUITE_P(DeadHandles, GdiRefusedHandle,
                         testing::Values(DeadHandle::Null, DeadHandle::Freed, DeadHandle::Forged));

TEST(VclBitmap, TakesWidthThenHeightAndKeepsItsHandle)
{
    Vcl::TBitmap bitmap;
    const HBITMAP handle = bitmap.Handle();
    ASSERT_NE(handle, nullptr);
    bitmap.SetWidth(6);
    bitmap.SetHeight(2);
    bitmap.SetPixelFormat(Vcl::pf32bit);
    EXPECT_EQ(bitmap.Width(), 6);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Handle(), handle);
    EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 6 * 4) << "top-down rows, no gap at 32 bits";
    EXPECT_THROW(bitmap.ScanLine(2), std::out_of_range);
    EXPECT_THROW(bitmap.ScanLine(-1), std::out_of_range);
}

TEST(VclBitmap, EveryBitmapHasItsOwnHandle)
{
    Vcl::TBitmap first, second;
    EXPECT_NE(first.Handle(), second.Handle());
    HBITMAP freed = nullptr;
    {
        Vcl::TBitmap gone;
        freed = gone.Handle();
    }
    Vcl::TBitmap later;
    EXPECT_NE(later.Handle(), freed) << "a freed handle never comes to name another bitmap";
}

} // namespace
