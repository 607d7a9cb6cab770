// The table of live GDI bitmaps: a handle is a number handed out once, never a
// pointer, so a freed or forged handle is found missing instead of dereferenced.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <memory>

namespace Gdi {

// The pixels behind a bitmap handle: 32 bits a pixel (B, G, R, A), top row first.
struct DibPixels {
    LONG width = 0;
    LONG height = 0;
    std::unique_ptr<BYTE[]> bytes;

    std::size_t RowBytes() const { return static_cast<std::size_t>(width) * 4; }
    const BYTE *Row(LONG topDownRow) const { return bytes.get() + RowBytes() * static_cast<std::size_t>(topDownRow); }
};

HBITMAP RegisterBitmap(const DibPixels *pixels);
void UnregisterBitmap(HBITMAP handle);
// Null for a handle that is not a live bitmap.
const DibPixels *FindBitmap(HGDIOBJ handle);

} // namespace Gdi
