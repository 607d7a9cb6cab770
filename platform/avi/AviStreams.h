// AviStreams: the objects behind the opaque PAVIFile and PAVIStream handles.
// A file owns the container; its one stored stream appends samples to it; a
// compressing stream sits on the stored stream and runs a compressor. Each
// holds what it builds on, so the file is completed when the last of them goes,
// whatever order the handles are released in.
#pragma once

#include "movie/VFW.h"
#include "platform/avi/AviContainerWriter.h"
#include "platform/avi/Compressor.h"

#include <memory>
#include <optional>

struct IAVIFile {
    explicit IAVIFile(std::unique_ptr<frametide::avi::FileSink> file);
    ~IAVIFile(); // completes the file
    IAVIFile(const IAVIFile &) = delete;
    IAVIFile &operator=(const IAVIFile &) = delete;

    frametide::avi::AviContainerWriter container;
    bool hasStream = false;
    // Set by the stream, used to complete a file whose format never came.
    std::optional<frametide::avi::StreamDescription> description;
};

struct IAVIStream {
    virtual ~IAVIStream() = default;
    virtual HRESULT SetFormat(LONG position, const void *format, LONG formatBytes) = 0;
    virtual HRESULT Write(LONG start, LONG samples, const void *data, LONG dataBytes, DWORD flags,
                          LONG *samplesWritten, LONG *bytesWritten) = 0;
};

namespace frametide::avi {

// The stream as stored in the file: formats and samples go in unchanged.
class StoredStream final : public IAVIStream {
public:
    StoredStream(std::shared_ptr<IAVIFile> file, const StreamDescription &description);
    HRESULT SetFormat(LONG position, const void *format, LONG formatBytes) override;
    HRESULT Write(LONG start, LONG samples, const void *data, LONG dataBytes, DWORD flags, LONG *samplesWritten,
                  LONG *bytesWritten) override;
    HRESULT Append(std::span<const std::uint8_t> sample, bool keyFrame);
    std::uint32_t FrameCount() const { return m_file->container.FrameCount(); }
    const StreamDescription &Description() const { return m_description; }

private:
    std::shared_ptr<IAVIFile> m_file;
    StreamDescription m_description;
    std::optional<DibLayout> m_uncompressedLayout; // set when the stored format is a plain bitmap
};

// The stream that compresses each frame written to it into its stored stream.
class CompressingStream final : public IAVIStream {
public:
    CompressingStream(std::shared_ptr<StoredStream> stored, std::unique_ptr<Compressor> compressor);
    HRESULT SetFormat(LONG position, const void *format, LONG formatBytes) override;
    HRESULT Write(LONG start, LONG samples, const void *data, LONG dataBytes, DWORD flags, LONG *samplesWritten,
                  LONG *bytesWritten) override;

private:
    std::shared_ptr<StoredStream> m_stored;
    std::unique_ptr<Compressor> m_compressor;
    std::optional<DibLayout> m_input;
};

} // namespace frametide::avi
