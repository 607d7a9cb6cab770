// GetObjectW and GetDIBits over the live bitmap table: the reading side of the
// frame hand-off.
#include "platform/win/GdiBitmapTable.h"
#include "platform/win/WinGdi.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsServedDepth(WORD bitCount)
{
    return bitCount == 24 || bitCount == 32;
}

void FillNativeHeader(const Gdi::DibPixels &pixels, BITMAPINFOHEADER &header)
{
    header.biWidth = pixels.width;
    header.biHeight = pixels.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(DibRowBytes(pixels.width, 32) * pixels.height);
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    header.biClrUsed = 0;
    header.biClrImportant = 0;
}

// One source row (B, G, R, A) into the destination depth; the row's padding is zeroed.
void ConvertRow(const BYTE *source, LONG width, WORD bitCount, BYTE *target, std::size_t targetBytes)
{
    if (bitCount == 32) {
        std::memcpy(target, source, static_cast<std::size_t>(width) * 4);
        return;
    }
    BYTE *out = target;
    for (LONG x = 0; x < width; ++x, source += 4, out += 3) {
        out[0] = source[0];
        out[1] = source[1];
        out[2] = source[2];
    }
    std::memset(out, 0, targetBytes - static_cast<std::size_t>(out - target));
}

int CopyRows(const Gdi::DibPixels &pixels, UINT start, UINT cLines, BYTE *target, BITMAPINFOHEADER &header)
{
    const bool bottomUp = header.biHeight > 0;
    const auto rowBytes = static_cast<std::size_t>(DibRowBytes(pixels.width, header.biBitCount));
    const UINT height = static_cast<UINT>(pixels.height);
    if (start >= height)
        return 0;
    const UINT lines = cLines < height - start ? cLines : height - start;
    for (UINT i = 0; i < lines; ++i) {
        // Line numbers count from the bottom in a bottom-up DIB, from the top otherwise.
        const UINT line = start + i;
        const LONG sourceRow = static_cast<LONG>(bottomUp ? height - 1 - line : line);
        ConvertRow(pixels.Row(sourceRow), pixels.width, header.biBitCount, target + rowBytes * i, rowBytes);
    }
    header.biSizeImage = static_cast<DWORD>(rowBytes * height);
    return static_cast<int>(lines);
}

} // namespace


int GetObjectW(HGDIOBJ h, int c, LPVOID pv)
{
    const Gdi::DibPixels *pixels = Gdi::FindBitmap(h);
    if (pixels == nullptr)
        return 0;
    if (pv == nullptr)
        return static_cast<int>(sizeof(BITMAP));
    if (c < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP description{};
    description.bmType = 0;
    description.bmWidth = pixels->width;
    description.bmHeight = pixels->height;
    description.bmWidthBytes = static_cast<LONG>(pixels->RowBytes());
    description.bmPlanes = 1;
    description.bmBitsPixel = 32;
    description.bmBits = nullptr;
    std::memcpy(pv, &description, sizeof description);
    return static_cast<int>(sizeof(BITMAP));
}

int GetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO *lpbmi, UINT usage)
{
    const Gdi::DibPixels *pixels = Gdi::FindBitmap(hbm);
    if (pixels == nullptr || lpbmi == nullptr || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER &header = lpbmi->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    if (lpvBits == nullptr) {
        if (header.biBitCount == 0) {
            FillNativeHeader(*pixels, header);
            return 1;
        }
        if (!IsServedDepth(header.biBitCount))
            return 0;
        header.biSizeImage = static_cast<DWORD>(DibRowBytes(pixels->width, header.biBitCount) * pixels->height);
        return 1;
    }
    // Rows go out only in the bitmap's own size, so the caller's buffer is as large as the header says.
    if (!IsServedDepth(header.biBitCount) || header.biCompression != BI_RGB || header.biWidth != pixels->width ||
        std::abs(static_cast<long long>(header.biHeight)) != pixels->height)
        return 0;
    return CopyRows(*pixels, start, cLines, static_cast<BYTE *>(lpvBits), header);
}
