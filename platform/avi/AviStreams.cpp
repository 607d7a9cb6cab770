// AviStreams: argument checks and the hand-over from compressor to container.
#include "platform/avi/AviStreams.h"

#include "platform/avi/AviErrors.h"

#include <cstring>

using frametide::avi::AviContainerWriter;
using frametide::avi::FileSink;

namespace {

// A format for a file closed before its format was set, so it is still a valid (empty) AVI.
std::vector<std::uint8_t> PlaceholderFormat(const frametide::avi::StreamDescription &description)
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = description.frame.right - description.frame.left;
    header.biHeight = description.frame.bottom - description.frame.top;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = description.handler;
    std::vector<std::uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

bool IsNextSample(LONG start, std::uint32_t written)
{
    return start == -1 || std::uint32_t(start) == written;
}

} // namespace

IAVIFile::IAVIFile(std::unique_ptr<FileSink> file)
    : container(std::move(file))
{
}

IAVIFile::~IAVIFile()
{
    if (!container.IsBegun() && description)
        container.Begin(*description, PlaceholderFormat(*description));
    container.Finish();
}

namespace frametide::avi {

StoredStream::StoredStream(std::shared_ptr<IAVIFile> file, const StreamDescription &description)
    : m_file(std::move(file))
    , m_description(description)
{
    m_file->description = description;
}

HRESULT StoredStream::SetFormat(LONG position, const void *format, LONG formatBytes)
{
    if (position != 0 || !format || formatBytes <= 0)
        return AVIERR_BADPARAM;
    if (m_file->container.IsBegun())
        return AVIERR_UNSUPPORTED; // the format is fixed once written
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t *>(format), std::size_t(formatBytes));
    if (bytes.size() >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes.data(), sizeof header);
        if (header.biCompression == BI_RGB) {
            m_uncompressedLayout = DibLayout::From(header);
            if (!m_uncompressedLayout->IsValid())
                return AVIERR_BADFORMAT;
        }
    }
    return m_file->container.Begin(m_description, bytes) ? S_OK : AVIERR_FILEWRITE;
}

HRESULT StoredStream::Append(std::span<const std::uint8_t> sample, bool keyFrame)
{
    if (!m_file->container.IsBegun())
        return AVIERR_BADFORMAT;
    return m_file->container.Append(sample, keyFrame) ? S_OK : AVIERR_FILEWRITE;
}

HRESULT StoredStream::Write(LONG start, LONG samples, const void *data, LONG dataBytes, DWORD flags,
                            LONG *samplesWritten, LONG *bytesWritten)
{
    if (samples != 1 || !data || dataBytes <= 0 || !IsNextSample(start, m_file->container.FrameCount()))
        return AVIERR_BADPARAM;
    if (m_uncompressedLayout && std::uint32_t(dataBytes) != m_uncompressedLayout->imageBytes)
        return AVIERR_BADSIZE;
    const HRESULT result =
        Append({static_cast<const std::uint8_t *>(data), std::size_t(dataBytes)}, (flags & AVIIF_KEYFRAME) != 0);
    if (SUCCEEDED(result)) {
        if (samplesWritten)
            *samplesWritten = 1;
        if (bytesWritten)
            *bytesWritten = dataBytes;
    }
    return result;
}

CompressingStream::CompressingStream(std::shared_ptr<StoredStream> stored, std::unique_ptr<Compressor> compressor)
    : m_stored(std::move(stored))
    , m_compressor(std::move(compressor))
{
}

HRESULT CompressingStream::SetFormat(LONG position, const void *format, LONG formatBytes)
{
    if (position != 0 || !format || formatBytes < LONG(sizeof(BITMAPINFOHEADER)))
        return AVIERR_BADPARAM;
    if (m_input)
        return AVIERR_UNSUPPORTED; // the format is fixed once written
    BITMAPINFOHEADER header;
    std::memcpy(&header, format, sizeof header);
    const DibLayout layout = DibLayout::From(header);
    if (!layout.IsValid() || !m_compressor->SetInputFormat(layout))
        return AVIERR_BADFORMAT;
    const std::vector<std::uint8_t> stored = m_compressor->StoredFormat();
    const HRESULT result = m_stored->SetFormat(0, stored.data(), LONG(stored.size()));
    if (SUCCEEDED(result))
        m_input = layout;
    return result;
}

HRESULT CompressingStream::Write(LONG start, LONG samples, const void *data, LONG dataBytes, DWORD,
                                 LONG *samplesWritten, LONG *bytesWritten)
{
    if (!m_input)
        return AVIERR_BADFORMAT;
    if (samples != 1 || !data || !IsNextSample(start, m_stored->FrameCount()))
        return AVIERR_BADPARAM;
    if (dataBytes < 0 || std::uint32_t(dataBytes) != m_input->imageBytes)
        return AVIERR_BADSIZE;
    CompressedFrame compressed;
    if (!m_compressor->Compress({static_cast<const std::uint8_t *>(data), std::size_t(dataBytes)}, compressed))
        return AVIERR_COMPRESSOR;
    const HRESULT result = m_stored->Append(compressed.bytes, compressed.keyFrame);
    if (SUCCEEDED(result)) {
        if (samplesWritten)
            *samplesWritten = 1;
        if (bytesWritten)
            *bytesWritten = LONG(compressed.bytes.size());
    }
    return result;
}

} // namespace frametide::avi
