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
    return m_pixels.bytes.data() + m_pixels.RowBytes() * static_cast<std::size_t>(row);
}

void TBitmap::Resize(LONG width, LONG height)
{
    m_pixels.width = width;
    m_pixels.height = height;
    m_pixels.bytes.assign(m_pixels.RowBytes() * static_cast<std::size_t>(height), 0);
}

} // namespace Vcl
