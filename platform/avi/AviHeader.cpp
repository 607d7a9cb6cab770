// AviHeader: serialises the first part's header chunks.
#include "platform/avi/AviHeader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace frametide::avi {
namespace {

constexpr std::uint32_t kDmlhSize = 248; // dwTotalFrames and 61 reserved words

struct FrameSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The picture size: from the format when it is a bitmap header, else from the frame rectangle.
FrameSize SizeOf(const StreamDescription &stream, std::span<const std::uint8_t> streamFormat)
{
    if (streamFormat.size() >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER header;
        std::memcpy(&header, streamFormat.data(), sizeof header);
        return {std::uint32_t(std::abs(header.biWidth)), std::uint32_t(std::abs(header.biHeight))};
    }
    return {std::uint32_t(stream.frame.right - stream.frame.left), std::uint32_t(stream.frame.bottom - stream.frame.top)};
}

std::uint16_t ClampToShort(LONG value)
{
    return std::uint16_t(std::int16_t(std::clamp<LONG>(value, -32768, 32767)));
}

void WriteMainHeader(ByteBuffer &out, const StreamDescription &stream, FrameSize size, HeaderFields &fields)
{
    std::size_t avih = out.BeginChunk("avih");
    const std::uint64_t microSecPerFrame = stream.rate ? 1000000ull * stream.scale / stream.rate : 0;
    out.U32(std::uint32_t(std::min<std::uint64_t>(microSecPerFrame, UINT32_MAX)));
    fields.avihMaxBytesPerSec = out.Size();
    out.U32(0);
    out.U32(0); // padding granularity
    out.U32(kAvifHasIndex | kAvifIsInterleaved);
    fields.avihTotalFrames = out.Size();
    out.U32(0);
    out.U32(0); // initial frames
    out.U32(1); // streams
    fields.avihSuggestedBufferSize = out.Size();
    out.U32(stream.suggestedBufferSize);
    out.U32(size.width);
    out.U32(size.height);
    out.Zeros(16);
    out.EndChunk(avih);
}

void WriteStreamHeader(ByteBuffer &out, const StreamDescription &stream, HeaderFields &fields)
{
    std::size_t strh = out.BeginChunk("strh");
    out.U32(stream.type);
    out.U32(stream.handler);
    out.U32(stream.flags);
    out.U16(stream.priority);
    out.U16(stream.language);
    out.U32(0); // initial frames
    out.U32(stream.scale);
    out.U32(stream.rate);
    out.U32(stream.start);
    fields.strhLength = out.Size();
    out.U32(0);
    fields.strhSuggestedBufferSize = out.Size();
    out.U32(stream.suggestedBufferSize);
    out.U32(stream.quality);
    out.U32(stream.sampleSize);
    out.U16(ClampToShort(stream.frame.left));
    out.U16(ClampToShort(stream.frame.top));
    out.U16(ClampToShort(stream.frame.right));
    out.U16(ClampToShort(stream.frame.bottom));
    out.EndChunk(strh);
}

void WriteStreamName(ByteBuffer &out, const std::string &name)
{
    if (name.empty())
        return;
    std::size_t strn = out.BeginChunk("strn");
    out.Append({reinterpret_cast<const std::uint8_t *>(name.data()), name.size()});
    out.U8(0);
    out.EndChunk(strn);
}

// The OpenDML super index, reserved at full capacity so it never moves.
void WriteSuperIndex(ByteBuffer &out, std::uint32_t chunkId, std::uint32_t capacity, HeaderFields &fields)
{
    std::size_t indx = out.BeginChunk("indx");
    out.U16(4); // longs per entry
    out.U8(0);  // sub type
    out.U8(kAviIndexOfIndexes);
    fields.superIndexEntriesInUse = out.Size();
    out.U32(0);
    out.U32(chunkId);
    out.Zeros(12);
    fields.superIndexEntries = out.Size();
    out.Zeros(std::size_t(capacity) * 16);
    out.EndChunk(indx);
}

void WriteOpenDmlHeader(ByteBuffer &out, HeaderFields &fields)
{
    std::size_t odml = out.BeginList("odml");
    std::size_t dmlh = out.BeginChunk("dmlh");
    fields.dmlhTotalFrames = out.Size();
    out.Zeros(kDmlhSize);
    out.EndChunk(dmlh);
    out.EndChunk(odml);
}

} // namespace

ByteBuffer BuildAviHeader(const StreamDescription &stream, std::span<const std::uint8_t> streamFormat,
                          std::uint32_t chunkId, std::uint32_t superIndexCapacity, HeaderFields &fields)
{
    ByteBuffer out;
    fields.riffSize = out.BeginChunk("RIFF");
    out.Code("AVI ");
    std::size_t hdrl = out.BeginList("hdrl");
    WriteMainHeader(out, stream, SizeOf(stream, streamFormat), fields);
    std::size_t strl = out.BeginList("strl");
    WriteStreamHeader(out, stream, fields);
    std::size_t strf = out.BeginChunk("strf");
    out.Append(streamFormat);
    out.EndChunk(strf);
    WriteStreamName(out, stream.name);
    WriteSuperIndex(out, chunkId, superIndexCapacity, fields);
    out.EndChunk(strl);
    WriteOpenDmlHeader(out, fields);
    out.EndChunk(hdrl);
    fields.moviList = out.Size();
    std::size_t movi = out.BeginList("movi");
    out.PatchU32(movi, 4);
    out.PatchU32(fields.riffSize, std::uint32_t(out.Size() - 8));
    return out;
}

} // namespace frametide::avi
