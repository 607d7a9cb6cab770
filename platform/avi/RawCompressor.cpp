// RawCompressor: stores frames unchanged, bottom-up rows and all.
#include "platform/avi/RawCompressor.h"

#include <cstring>

namespace frametide::avi {

bool RawCompressor::SetInputFormat(const DibLayout &input)
{
    m_input = input;
    return input.IsValid();
}

std::vector<std::uint8_t> RawCompressor::StoredFormat() const
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = m_input.width;
    header.biHeight = m_input.bottomUp ? m_input.height : -m_input.height;
    header.biPlanes = 1;
    header.biBitCount = WORD(m_input.bitsPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = m_input.imageBytes;
    std::vector<std::uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

bool RawCompressor::Compress(std::span<const std::uint8_t> frame, CompressedFrame &out)
{
    out.bytes = frame;
    out.keyFrame = true;
    return frame.size() == m_input.imageBytes;
}

} // namespace frametide::avi
