// The GDI calls through which the movie writer reads a bitmap's pixels, with
// Windows' signatures and meaning. Bitmap handles are checked before use: a
// handle that is not a live bitmap is refused, never dereferenced.
#pragma once

#include "platform/win/WinTypes.h"

// A memory device context. It carries no state here: the DIBs this layer reads
// have 24 or 32 bits a pixel and need no palette from a context.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);

// With a bitmap handle and a BITMAP-sized buffer: fills the BITMAP record.
// With no buffer: the size of the record. 0 for a handle that is not a live bitmap.
int GetObjectW(HGDIOBJ h, int c, LPVOID pv);

// With no buffer and biBitCount 0: fills the header from the bitmap (returns non-zero).
// With a buffer: copies cLines rows from line start (counted from the bottom) in the
// depth of the header (24 or 32 bits, rows padded to 4 bytes), bottom-up for a
// positive biHeight and top-down for a negative one; returns the lines copied.
// 0 for a handle that is not a live bitmap or a header it cannot serve.
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO *lpbmi, UINT usage);

// Bytes in one row of a DIB: whole 32-bit words, as GDI lays rows out.
// 64-bit, so that no width overflows it.
inline constexpr std::int64_t DibRowBytes(std::int64_t width, std::int64_t bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}
