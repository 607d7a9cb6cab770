// CompressorRegistry: the table of codes this service can compress to.
#include "platform/avi/CompressorRegistry.h"

#include "platform/avi/ByteBuffer.h"
#include "platform/avi/RawCompressor.h"
#include "platform/avi/XvidCompressor.h"

#include <algorithm>
#include <array>

namespace frametide::avi {
namespace {

FOURCC LowerCase(FOURCC code)
{
    FOURCC lowered = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::uint8_t c = std::uint8_t(code >> shift);
        if (c >= 'A' && c <= 'Z')
            c = std::uint8_t(c - 'A' + 'a');
        lowered |= FOURCC(c) << shift;
    }
    return lowered;
}

constexpr std::array kMpeg4Codes = {Fourcc("xvid"), Fourcc("divx"), Fourcc("dx50"), Fourcc("fmp4")};
constexpr std::array kUncompressedCodes = {FOURCC(0), Fourcc("dib ")};

bool Contains(std::span<const FOURCC> codes, FOURCC code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

} // namespace

std::unique_ptr<Compressor> MakeCompressor(FOURCC handler, const CompressorOptions &options)
{
    const FOURCC code = LowerCase(handler);
    if (Contains(kMpeg4Codes, code))
        return std::make_unique<XvidCompressor>(handler, options);
    if (Contains(kUncompressedCodes, code))
        return std::make_unique<RawCompressor>();
    return nullptr;
}

} // namespace frametide::avi
