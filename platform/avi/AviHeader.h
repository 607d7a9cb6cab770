// AviHeader: the RIFF-AVI header of the first part (hdrl with avih, one strl
// with strh, strf, strn and the OpenDML super index, odml with dmlh) up to the
// opening of the movi list, and where its live counters sit in the file.
#pragma once

#include "platform/avi/ByteBuffer.h"
#include "platform/win/WinTypes.h"

#include <string>

namespace frametide::avi {

// What the stream description gives the container.
struct StreamDescription {
    FOURCC type = 0;
    FOURCC handler = 0;
    DWORD flags = 0;
    WORD priority = 0;
    WORD language = 0;
    DWORD scale = 1;
    DWORD rate = 1;
    DWORD start = 0;
    DWORD quality = 0;
    DWORD suggestedBufferSize = 0;
    DWORD sampleSize = 0;
    RECT frame = {};
    std::string name;
};

// File offsets of the fields the writer keeps up to date.
struct HeaderFields {
    std::uint64_t riffSize = 0;
    std::uint64_t avihMaxBytesPerSec = 0;
    std::uint64_t avihTotalFrames = 0;
    std::uint64_t avihSuggestedBufferSize = 0;
    std::uint64_t strhLength = 0;
    std::uint64_t strhSuggestedBufferSize = 0;
    std::uint64_t superIndexEntriesInUse = 0;
    std::uint64_t superIndexEntries = 0; // first 16-byte entry
    std::uint64_t dmlhTotalFrames = 0;
    std::uint64_t moviList = 0; // the "LIST" of movi
};

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint8_t kAviIndexOfIndexes = 0;
constexpr std::uint8_t kAviIndexOfChunks = 1;

// Serialises the header; the movi list is left open, holding nothing yet.
// streamFormat is the strf block; chunkId the code of the stream's data chunks.
ByteBuffer BuildAviHeader(const StreamDescription &stream, std::span<const std::uint8_t> streamFormat,
                          std::uint32_t chunkId, std::uint32_t superIndexCapacity, HeaderFields &fields);

} // namespace frametide::avi
