// DibLayout: the memory layout of an uncompressed (BI_RGB) frame as its
// BITMAPINFOHEADER describes it: rows padded to 4 bytes, bottom-up when the
// height is positive.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <cstdlib>

namespace frametide::avi {

// Frames larger than this are refused rather than risk overflowing sizes.
constexpr std::uint64_t kMaxFrameBytes = 256ull << 20;

struct DibLayout {
    int width = 0;
    int height = 0;        // always positive
    bool bottomUp = true;
    int bitsPerPixel = 0;
    std::uint32_t stride = 0;
    std::uint32_t imageBytes = 0;

    // Empty (width 0) unless the header is a 24 or 32-bit BI_RGB frame of sane size.
    static DibLayout From(const BITMAPINFOHEADER &header)
    {
        DibLayout layout;
        const bool supported = header.biSize >= sizeof(BITMAPINFOHEADER) && header.biCompression == BI_RGB &&
                               (header.biBitCount == 24 || header.biBitCount == 32) && header.biWidth > 0 &&
                               header.biHeight != 0 && header.biHeight != INT32_MIN;
        if (!supported)
            return layout;
        const std::uint64_t stride = (std::uint64_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
        const std::uint64_t bytes = stride * std::uint64_t(std::abs(header.biHeight));
        if (bytes > kMaxFrameBytes)
            return layout;
        layout.width = header.biWidth;
        layout.height = std::abs(header.biHeight);
        layout.bottomUp = header.biHeight > 0;
        layout.bitsPerPixel = header.biBitCount;
        layout.stride = std::uint32_t(stride);
        layout.imageBytes = std::uint32_t(bytes);
        return layout;
    }

    bool IsValid() const { return width > 0; }
};

} // namespace frametide::avi
