// The hand-off bitmap: pixel storage registered in the GDI bitmap table for the
// object's lifetime.
#include "platform/win/VclBitmap.h"

#include <algorithm>
#include <stdexcept>

namespace Vcl {

TBitmap::TBitmap() : m_handle(Gdi::RegisterBitmap(&m_pixels)) {}

TBitmap::~TBitmap()
{
    Gdi::UnregisterBitmap(m_handle);
}

void TBitmap::SetWidth(int width)
{
    Resize(std::max(width, 0), m_pixels.height);
}

void TBitmap::SetHeight(int height)
{
    Resize(m_pixels.width, std::max(height, 0));
}

void TBitmap::SetPixelFormat(TPixelFormat) {}

BYTE *TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= m_pixels.height)
        throw std::out_of_range("Scan line index out of range");
    return m_pixels.bytes.get() + m_pixels.RowBytes() * static_cast<std::size_t>(row);
}

void TBitmap::Resize(LONG width, LONG height)
{
    m_pixels.width = width;
    m_pixels.height = height;
    // Not zero-filled: the caller writes every row of a frame, and a pass over a
    // whole frame per hand-off is a cost the recording cannot afford.
    m_pixels.bytes = std::make_unique_for_overwrite<BYTE[]>(m_pixels.RowBytes() * static_cast<std::size_t>(height));
}

} // namespace Vcl
