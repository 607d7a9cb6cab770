// AviContainerWriter: RIFF/OpenDML layout, index upkeep and failure rollback.
#include "platform/avi/AviContainerWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace frametide::avi {
namespace {

static_assert(std::endian::native == std::endian::little, "index entries are written as they sit in memory");

// Parts stay within the classic 1 GiB so that every reader handles each of them.
constexpr std::uint64_t kMaxPartBytes = 1ull << 30;
constexpr std::uint64_t kMaxSampleBytes = 512ull << 20;
// 1024 super index entries over index chunks of up to 32768 frames: days of video.
constexpr std::uint32_t kSuperIndexCapacity = 1024;
constexpr std::uint32_t kFirstIndexCapacity = 1024;
constexpr std::uint32_t kLargestIndexCapacity = 32768;
constexpr std::uint64_t kIndexChunkHeaderBytes = 32;
constexpr std::uint32_t kNotKeyFrame = 0x80000000u;
constexpr std::uint32_t kAviifKeyFrame = 0x10;
// Wall time between updates while frames keep coming, and how often the
// flusher looks for frames that have waited that long: together under a second.
constexpr std::chrono::milliseconds kFlushInterval{500};
constexpr std::chrono::milliseconds kFlusherPeriod{250};

constexpr std::uint64_t IndexChunkBytes(std::uint32_t capacity)
{
    return kIndexChunkHeaderBytes + std::uint64_t(capacity) * sizeof(std::uint32_t) * 2;
}

// Uncompressed bitmaps go in "db" chunks, everything else in "dc" chunks.
std::uint32_t ChunkIdFor(std::span<const std::uint8_t> streamFormat)
{
    BITMAPINFOHEADER header{};
    if (streamFormat.size() >= sizeof header)
        std::memcpy(&header, streamFormat.data(), sizeof header);
    return header.biCompression == BI_RGB ? Fourcc("00db") : Fourcc("00dc");
}

const std::uint8_t kZeros[64 * 1024] = {};

template <typename T> std::span<const std::uint8_t> AsBytes(std::span<const T> items)
{
    return {reinterpret_cast<const std::uint8_t *>(items.data()), items.size_bytes()};
}

} // namespace

AviContainerWriter::AviContainerWriter(std::unique_ptr<FileSink> file)
    : m_file(std::move(file))
{
}

bool AviContainerWriter::Begin(const StreamDescription &stream, std::span<const std::uint8_t> streamFormat)
{
    std::lock_guard lock(m_mutex);
    if (m_begun || !m_file || !m_file->IsOpen())
        return false;
    m_stream = stream;
    m_chunkId = ChunkIdFor(streamFormat);
    const ByteBuffer header = BuildAviHeader(stream, streamFormat, m_chunkId, kSuperIndexCapacity, m_fields);
    if (!m_file->WriteAt(0, header.Bytes())) {
        Rollback(0);
        return false;
    }
    m_superIndex.reserve(kSuperIndexCapacity);
    m_chunkEntries.reserve(kLargestIndexCapacity);
    m_begun = true;
    m_end = header.Size();
    m_partNumber = 0;
    m_partOpen = true;
    m_partStart = 0;
    m_moviList = m_fields.moviList;
    m_flushTime = std::chrono::steady_clock::now();
    if (!StartIndexChunk() || !Flush())
        return false;
    m_flusher = std::jthread([this](std::stop_token stop) { FlushWhileIdle(stop); });
    return true;
}

std::uint32_t AviContainerWriter::FrameCount() const
{
    std::lock_guard lock(m_mutex);
    return m_totalFrames;
}

// Frames written just before the caller goes quiet still reach the index in time.
void AviContainerWriter::FlushWhileIdle(std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested()) {
        m_wake.wait_for(lock, stop, kFlusherPeriod, [] { return false; });
        const bool waiting = m_totalFrames != m_framesAtFlush;
        if (!stop.stop_requested() && waiting && std::chrono::steady_clock::now() - m_flushTime >= kFlushInterval)
            Flush();
    }
}

bool AviContainerWriter::Append(std::span<const std::uint8_t> sample, bool keyFrame)
{
    std::lock_guard lock(m_mutex);
    if (!m_begun || m_finished || sample.size() > kMaxSampleBytes)
        return false;
    const std::uint64_t chunkBytes = 8 + sample.size() + (sample.size() & 1);
    if (!EnsureRoomFor(chunkBytes) || !WriteSample(sample, keyFrame)) {
        // Whatever got written before the failure is indexed, so it plays.
        Flush();
        return false;
    }
    FlushIfDue();
    return true;
}

bool AviContainerWriter::Finish()
{
    m_flusher.request_stop();
    if (m_flusher.joinable())
        m_flusher.join();
    std::lock_guard lock(m_mutex);
    return FinishLocked();
}

bool AviContainerWriter::FinishLocked()
{
    if (!m_begun || m_finished)
        return true;
    m_finished = true;
    bool closed = !m_partOpen || ClosePart();
    return Flush() && closed;
}

std::uint64_t AviContainerWriter::PartBytesAfter(std::uint64_t moreBytes) const
{
    std::uint64_t bytes = m_end + moreBytes - m_partStart;
    if (m_partNumber == 0)
        bytes += 8 + 16ull * (m_firstPartFrames + 1); // its legacy index to come
    return bytes;
}

bool AviContainerWriter::EnsureRoomFor(std::uint64_t chunkBytes)
{
    const bool indexFull = m_chunkEntries.size() >= m_indexCapacity;
    const std::uint64_t indexBytes = indexFull ? IndexChunkBytes(NextIndexCapacity()) : 0;
    if (m_partOpen && m_partFrames > 0 && PartBytesAfter(chunkBytes + indexBytes) > kMaxPartBytes && !ClosePart())
        return false;
    if (!m_partOpen)
        return StartPart();
    if (indexFull)
        return Flush() && StartIndexChunk();
    return true;
}

std::uint32_t AviContainerWriter::NextIndexCapacity() const
{
    const std::size_t doublings = std::min<std::size_t>(m_superIndex.size(), 5);
    return std::min(kFirstIndexCapacity << doublings, kLargestIndexCapacity);
}

bool AviContainerWriter::StartIndexChunk()
{
    if (m_superIndex.size() >= kSuperIndexCapacity)
        return false;
    const std::uint32_t capacity = NextIndexCapacity();
    const std::uint64_t bytes = IndexChunkBytes(capacity);
    ByteBuffer header;
    header.Code("ix00");
    header.U32(std::uint32_t(bytes - 8));
    header.U16(2); // longs per entry
    header.U8(0);  // sub type
    header.U8(kAviIndexOfChunks);
    header.U32(0); // entries in use
    header.U32(m_chunkId);
    header.U64(m_moviList); // base of the entries' offsets
    header.U32(0);
    const std::uint64_t start = m_end;
    bool written = m_file->WriteAt(start, header.Bytes());
    for (std::uint64_t at = start + header.Size(); written && at < start + bytes;) {
        const std::size_t piece = std::size_t(std::min<std::uint64_t>(sizeof kZeros, start + bytes - at));
        written = m_file->WriteAt(at, std::span(kZeros, piece));
        at += piece;
    }
    if (!written) {
        Rollback(start);
        return false;
    }
    m_superIndex.push_back({start, std::uint32_t(bytes), 0});
    m_indexChunk = start;
    m_indexCapacity = capacity;
    m_chunkEntries.clear();
    m_flushedEntries = 0;
    m_end = start + bytes;
    return true;
}

bool AviContainerWriter::StartPart()
{
    ByteBuffer header;
    header.Code("RIFF");
    header.U32(16);
    header.Code("AVIX");
    header.Code("LIST");
    header.U32(4);
    header.Code("movi");
    const std::uint64_t start = m_end;
    if (!m_file->WriteAt(start, header.Bytes())) {
        Rollback(start);
        return false;
    }
    m_partStart = start;
    m_moviList = start + 12;
    m_end = start + header.Size();
    if (!StartIndexChunk()) {
        Rollback(start);
        return false;
    }
    ++m_partNumber;
    m_partOpen = true;
    m_partFrames = 0;
    return true;
}

bool AviContainerWriter::ClosePart()
{
    if (!Flush())
        return false;
    if (m_partNumber == 0)
        WriteLegacyIndex(); // without it the file still plays through the OpenDML index
    m_partOpen = false;
    return true;
}

// The idx1 of the first part, read back from its ix00 chunks a block at a
// time, so it never has to be held in memory.
bool AviContainerWriter::WriteLegacyIndex()
{
    const std::uint64_t start = m_end;
    ByteBuffer header;
    header.Code("idx1");
    header.U32(16 * m_firstPartFrames);
    bool written = m_file->WriteAt(start, header.Bytes());
    std::uint64_t at = start + header.Size();
    constexpr std::size_t kBlock = 4096;
    std::vector<ChunkIndexEntry> entries(kBlock);
    std::vector<std::uint32_t> legacy(kBlock * 4);
    for (const SuperIndexEntry &chunk : m_superIndex) {
        for (std::uint32_t done = 0; written && done < chunk.duration;) {
            const std::uint32_t count = std::min<std::uint32_t>(kBlock, chunk.duration - done);
            const std::span<ChunkIndexEntry> block(entries.data(), count);
            written = m_file->ReadAt(chunk.offset + kIndexChunkHeaderBytes + 8ull * done,
                                     {reinterpret_cast<std::uint8_t *>(block.data()), block.size_bytes()});
            for (std::uint32_t i = 0; i < count; ++i) {
                legacy[4 * i] = m_chunkId;
                legacy[4 * i + 1] = (block[i].size & kNotKeyFrame) ? 0 : kAviifKeyFrame;
                legacy[4 * i + 2] = block[i].offset - 16; // of the chunk header, from "movi"
                legacy[4 * i + 3] = block[i].size & ~kNotKeyFrame;
            }
            const auto bytes = AsBytes(std::span<const std::uint32_t>(legacy.data(), 4 * count));
            written = written && m_file->WriteAt(at, bytes);
            at += bytes.size();
            done += count;
        }
    }
    if (!written) {
        Rollback(start);
        return false;
    }
    m_end = at;
    return m_file->WriteU32At(m_fields.riffSize, std::uint32_t(m_end - 8));
}

bool AviContainerWriter::WriteSample(std::span<const std::uint8_t> sample, bool keyFrame)
{
    const std::uint32_t size = std::uint32_t(sample.size());
    const std::uint32_t chunkHeader[2] = {m_chunkId, size};
    const std::uint8_t pad[1] = {0};
    const std::span<const std::uint8_t> pieces[] = {AsBytes(std::span<const std::uint32_t>(chunkHeader)), sample,
                                                    std::span(pad, size & 1)};
    if (!m_file->WriteAt(m_end, pieces)) {
        Rollback(m_end);
        return false;
    }
    m_chunkEntries.push_back({std::uint32_t(m_end + 8 - m_moviList), size | (keyFrame ? 0 : kNotKeyFrame)});
    m_end += 8 + size + (size & 1);
    ++m_totalFrames;
    ++m_partFrames;
    if (m_partNumber == 0)
        ++m_firstPartFrames;
    m_largestSample = std::max(m_largestSample, size);
    return true;
}

void AviContainerWriter::FlushIfDue()
{
    const bool secondOfVideo = std::uint64_t(m_totalFrames - m_framesAtFlush) * m_stream.scale >= m_stream.rate;
    const bool secondOfTime = std::chrono::steady_clock::now() - m_flushTime >= kFlushInterval;
    if (secondOfVideo || secondOfTime)
        Flush();
}

// Data first, made durable, then the index and header that point into it.
bool AviContainerWriter::Flush()
{
    m_file->SyncData();
    const bool ok = WriteIndexes() && WriteCounters();
    m_framesAtFlush = m_totalFrames;
    m_flushTime = std::chrono::steady_clock::now();
    return ok;
}

bool AviContainerWriter::WriteIndexes()
{
    if (m_superIndex.empty())
        return true;
    if (m_flushedEntries < m_chunkEntries.size()) {
        const auto fresh = std::span<const ChunkIndexEntry>(m_chunkEntries).subspan(m_flushedEntries);
        if (!m_file->WriteAt(m_indexChunk + kIndexChunkHeaderBytes + 8ull * m_flushedEntries, AsBytes(fresh)) ||
            !m_file->WriteU32At(m_indexChunk + 12, std::uint32_t(m_chunkEntries.size())))
            return false;
        m_flushedEntries = m_chunkEntries.size();
    }
    m_superIndex.back().duration = std::uint32_t(m_chunkEntries.size());
    // An index chunk is published once it holds a frame; the one before it may just have filled up.
    const std::size_t published = m_superIndex.size() - (m_superIndex.back().duration == 0 ? 1 : 0);
    const std::size_t firstChanged = m_superIndex.size() >= 2 ? m_superIndex.size() - 2 : 0;
    const auto changed = std::span<const SuperIndexEntry>(m_superIndex).subspan(firstChanged);
    return m_file->WriteAt(m_fields.superIndexEntries + 16ull * firstChanged, AsBytes(changed)) &&
           m_file->WriteU32At(m_fields.superIndexEntriesInUse, std::uint32_t(published));
}

bool AviContainerWriter::WriteCounters()
{
    bool ok = true;
    if (m_partOpen) {
        ok = m_file->WriteU32At(m_partStart + 4, std::uint32_t(m_end - m_partStart - 8)) &&
             m_file->WriteU32At(m_moviList + 4, std::uint32_t(m_end - m_moviList - 8));
    }
    const std::uint32_t bufferSize = std::max(m_stream.suggestedBufferSize, m_largestSample);
    const std::uint64_t maxBytesPerSec =
        m_stream.scale ? std::uint64_t(m_largestSample) * m_stream.rate / m_stream.scale : 0;
    return ok && m_file->WriteU32At(m_fields.avihTotalFrames, m_firstPartFrames) &&
           m_file->WriteU32At(m_fields.avihSuggestedBufferSize, bufferSize) &&
           m_file->WriteU32At(m_fields.avihMaxBytesPerSec, std::uint32_t(std::min<std::uint64_t>(maxBytesPerSec, UINT32_MAX))) &&
           m_file->WriteU32At(m_fields.strhLength, m_totalFrames) &&
           m_file->WriteU32At(m_fields.strhSuggestedBufferSize, bufferSize) &&
           m_file->WriteU32At(m_fields.dmlhTotalFrames, m_totalFrames);
}

void AviContainerWriter::Rollback(std::uint64_t end)
{
    m_file->Truncate(end);
    m_end = end;
}

} // namespace frametide::avi
