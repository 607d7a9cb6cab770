// The hand-off bitmap (VCLBitmap): a 32-bit device-independent bitmap whose
// Handle carries one frame to the movie writer. The object owns its handle; the
// handle dies with it and is refused by GDI calls afterwards.
#pragma once

#include "platform/win/GdiBitmapTable.h"
#include "platform/win/WinTypes.h"

namespace Vcl {

enum TPixelFormat { pf32bit };

class TBitmap {
public:
    TBitmap();
    ~TBitmap();
    TBitmap(const TBitmap &) = delete;
    TBitmap &operator=(const TBitmap &) = delete;

    // Negative sizes count as 0. The pixels are undefined after a size change until written.
    void SetWidth(int width);
    void SetHeight(int height);
    // 32 bits a pixel is the only depth this bitmap has; the call is kept for the caller's shape.
    void SetPixelFormat(TPixelFormat format);

    int Width() const { return m_pixels.width; }
    int Height() const { return m_pixels.height; }
    // Top row first, Width() * 4 bytes: B, G, R, A. Raises std::out_of_range outside the bitmap.
    BYTE *ScanLine(int row);

    HBITMAP Handle() const { return m_handle; }

private:
    void Resize(LONG width, LONG height);

    Gdi::DibPixels m_pixels;
    HBITMAP m_handle;
};

} // namespace Vcl
