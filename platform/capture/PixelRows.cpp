// Row copy of the preview path; built with -O3 so that the loop is vectorised.
#include "platform/capture/PixelRows.h"

#include <cstdint>
#include <cstring>

void CopyRowOpaque(const uchar *__restrict source, uchar *__restrict target, int width)
{
    constexpr std::uint32_t kOpaque = 0xFF000000u;   // the alpha byte of a little-endian BGRA pixel
    for (int x = 0; x < width; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, source + 4 * x, sizeof pixel);
        pixel |= kOpaque;
        std::memcpy(target + 4 * x, &pixel, sizeof pixel);
    }
}
