// AviContainerWriter: writes one video stream as an AVI file: a RIFF-AVI first
// part with a legacy idx1 and, past 1 GiB, RIFF-AVIX parts, all indexed by an
// OpenDML super index over standard (ix00) index chunks. Index chunks are
// reserved ahead inside movi and filled in place, and the counters in the
// header are patched in place, so bringing the file up to date costs a few
// small writes; this happens every second of video and, through a background
// flusher, within a second of wall time of any frame, so a file cut off at
// any moment plays up to its last update. Memory stays flat: only the current
// index chunk's entries are held.
#pragma once

#include "platform/avi/AviHeader.h"
#include "platform/avi/FileSink.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace frametide::avi {

class AviContainerWriter {
public:
    explicit AviContainerWriter(std::unique_ptr<FileSink> file);
    AviContainerWriter(const AviContainerWriter &) = delete;
    AviContainerWriter &operator=(const AviContainerWriter &) = delete;

    // Writes the header; streamFormat becomes the strf chunk. Only once.
    bool Begin(const StreamDescription &stream, std::span<const std::uint8_t> streamFormat);
    bool IsBegun() const { return m_begun; }

    // Appends one sample as the next chunk. On failure the file is cut back to
    // the previous sample and stays a complete, playable file.
    bool Append(std::span<const std::uint8_t> sample, bool keyFrame);

    // Writes the legacy index and final counters. The file stays open until destruction.
    bool Finish();

    std::uint32_t FrameCount() const;

private:
    struct ChunkIndexEntry {
        std::uint32_t offset; // of the sample data, from the part's movi list
        std::uint32_t size;   // bit 31 set for a frame that is not a key frame
    };
    struct SuperIndexEntry {
        std::uint64_t offset; // of the ix00 chunk
        std::uint32_t size;   // of the whole ix00 chunk
        std::uint32_t duration;
    };
    static_assert(sizeof(ChunkIndexEntry) == 8 && sizeof(SuperIndexEntry) == 16);

    bool EnsureRoomFor(std::uint64_t chunkBytes);
    std::uint32_t NextIndexCapacity() const;
    bool StartPart();
    bool ClosePart();
    bool StartIndexChunk();
    bool WriteLegacyIndex();
    bool WriteSample(std::span<const std::uint8_t> sample, bool keyFrame);
    void FlushIfDue();
    void FlushWhileIdle(std::stop_token stop);
    bool FinishLocked();
    bool Flush();
    bool WriteIndexes();
    bool WriteCounters();
    std::uint64_t PartBytesAfter(std::uint64_t chunkBytes) const;
    void Rollback(std::uint64_t end);

    std::unique_ptr<FileSink> m_file;
    bool m_begun = false;
    bool m_finished = false;
    StreamDescription m_stream;
    std::uint32_t m_chunkId = 0;
    HeaderFields m_fields;

    std::uint64_t m_end = 0;       // where the next chunk goes
    int m_partNumber = -1;          // 0 is the RIFF-AVI part
    bool m_partOpen = false;
    std::uint64_t m_partStart = 0;  // its "RIFF"
    std::uint64_t m_moviList = 0;   // its movi "LIST"
    std::uint32_t m_partFrames = 0;
    std::uint32_t m_firstPartFrames = 0;
    std::uint32_t m_totalFrames = 0;
    std::uint32_t m_largestSample = 0;

    std::vector<SuperIndexEntry> m_superIndex;  // one per ix00 chunk; capacity reserved once
    std::uint64_t m_indexChunk = 0;             // the current ix00 chunk
    std::uint32_t m_indexCapacity = 0;
    std::vector<ChunkIndexEntry> m_chunkEntries; // of the current ix00 chunk; capacity reserved once
    std::size_t m_flushedEntries = 0;

    std::uint32_t m_framesAtFlush = 0;
    std::chrono::steady_clock::time_point m_flushTime;

    // Everything above is guarded by m_mutex once the flusher runs.
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::jthread m_flusher; // last: stopped and joined before the rest goes
};

} // namespace frametide::avi
