// XvidCompressor: libxvidcore set up for speed at a fixed quantizer. Intra
// frames skip XVID_VOP_HQACPRED (about 50% faster for about 1% more bytes);
// with more than one thread the frame is cut into as many slices, since xvid's
// threads only share key frames through slices.
#include "platform/avi/XvidCompressor.h"

#include "platform/avi/EncoderThreads.h"

#include <libyuv/convert.h>
#include <xvid.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <numeric>

namespace frametide::avi {
namespace {

constexpr DWORD kQualityDefault = DWORD(-1);
constexpr DWORD kQualityMax = 10000;
constexpr int kDefaultKeyInterval = 300;

bool InitialiseXvidOnce()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        xvid_gbl_init_t init{};
        init.version = XVID_VERSION;
        ready = xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr) >= 0;
    });
    return ready;
}

struct FrameRate {
    int increment;
    int base;
};

// xvid keeps the time base below 65536.
FrameRate XvidFrameRate(DWORD rate, DWORD scale)
{
    std::uint64_t base = rate ? rate : 30;
    std::uint64_t increment = scale ? scale : 1;
    const std::uint64_t divisor = std::gcd(base, increment);
    base /= divisor;
    increment /= divisor;
    while (base > 65535) {
        base = (base + 1) / 2;
        increment = std::max<std::uint64_t>(1, (increment + 1) / 2);
    }
    return {int(increment), int(base)};
}

} // namespace

int XvidQuantizerFor(DWORD quality)
{
    if (quality == 0 || quality == kQualityDefault)
        return kDefaultXvidQuantizer;
    const DWORD clamped = std::min(quality, kQualityMax);
    return std::clamp(31 - int((clamped * 30 + kQualityMax / 2) / kQualityMax), 1, 31);
}

XvidCompressor::XvidCompressor(FOURCC storedCode, const CompressorOptions &options)
    : m_storedCode(storedCode)
    , m_options(options)
{
}

XvidCompressor::~XvidCompressor()
{
    DestroyEncoder();
}

// MPEG-4 Part 2 gives a picture's width and height 13 bits; a larger frame
// cannot be coded and is refused before the encoder sizes its buffers for it.
bool XvidCompressor::FitsMpeg4(const DibLayout &input)
{
    constexpr int kLargestSide = 8191;
    return input.width <= kLargestSide && input.height <= kLargestSide;
}

void XvidCompressor::DestroyEncoder()
{
    if (m_encoder)
        xvid_encore(m_encoder, XVID_ENC_DESTROY, nullptr, nullptr);
    m_encoder = nullptr;
}

bool XvidCompressor::SetInputFormat(const DibLayout &input)
{
    DestroyEncoder();
    m_input = input;
    if (!input.IsValid() || !FitsMpeg4(input) || !InitialiseXvidOnce())
        return false;
    const int threads = EncoderThreads();
    const FrameRate frameRate = XvidFrameRate(m_options.rate, m_options.scale);
    xvid_enc_create_t create{};
    create.version = XVID_VERSION;
    create.width = input.width;
    create.height = input.height;
    create.num_threads = threads > 1 ? threads : 0;
    create.num_slices = threads > 1 ? threads : 1;
    create.max_bframes = 0;
    create.fincr = frameRate.increment;
    create.fbase = frameRate.base;
    create.max_key_interval = m_options.keyFrameEvery > 0 ? int(std::min<DWORD>(m_options.keyFrameEvery, 100000))
                                                          : kDefaultKeyInterval;
    if (xvid_encore(nullptr, XVID_ENC_CREATE, &create, nullptr) < 0)
        return false;
    m_encoder = create.handle;
    m_frameNumber = 0;
    const std::size_t lumaBytes = std::size_t(input.width) * input.height;
    const std::size_t chromaBytes = std::size_t((input.width + 1) / 2) * ((input.height + 1) / 2);
    m_planes.assign(lumaBytes + 2 * chromaBytes, 0);
    // Room for an incompressible frame: more than the raw I420 size.
    m_bitstream.assign(lumaBytes * 3 + (1 << 16), 0);
    return true;
}

std::vector<std::uint8_t> XvidCompressor::StoredFormat() const
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = m_input.width;
    header.biHeight = m_input.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = m_storedCode;
    header.biSizeImage = DWORD(m_input.width) * DWORD(m_input.height) * 3;
    std::vector<std::uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

bool XvidCompressor::ConvertToI420(std::span<const std::uint8_t> frame)
{
    const int width = m_input.width;
    // libyuv flips the picture when given a negative height.
    const int height = m_input.bottomUp ? -m_input.height : m_input.height;
    const int chromaWidth = (width + 1) / 2;
    std::uint8_t *y = m_planes.data();
    std::uint8_t *u = y + std::size_t(width) * m_input.height;
    std::uint8_t *v = u + std::size_t(chromaWidth) * ((m_input.height + 1) / 2);
    const int stride = int(m_input.stride);
    if (m_input.bitsPerPixel == 32)
        return libyuv::ARGBToI420(frame.data(), stride, y, width, u, chromaWidth, v, chromaWidth, width, height) == 0;
    return libyuv::RGB24ToI420(frame.data(), stride, y, width, u, chromaWidth, v, chromaWidth, width, height) == 0;
}

bool XvidCompressor::Compress(std::span<const std::uint8_t> frame, CompressedFrame &out)
{
    if (!m_encoder || frame.size() != m_input.imageBytes || !ConvertToI420(frame))
        return false;
    const int width = m_input.width;
    const int chromaWidth = (width + 1) / 2;
    xvid_enc_frame_t encode{};
    encode.version = XVID_VERSION;
    encode.input.csp = XVID_CSP_PLANAR;
    encode.input.plane[0] = m_planes.data();
    encode.input.plane[1] = m_planes.data() + std::size_t(width) * m_input.height;
    encode.input.plane[2] =
        static_cast<std::uint8_t *>(encode.input.plane[1]) + std::size_t(chromaWidth) * ((m_input.height + 1) / 2);
    encode.input.stride[0] = width;
    encode.input.stride[1] = chromaWidth;
    encode.input.stride[2] = chromaWidth;
    const DWORD keyEvery = m_options.keyFrameEvery;
    const bool forceKey = keyEvery <= 1 || m_frameNumber % keyEvery == 0;
    encode.type = forceKey ? XVID_TYPE_IVOP : XVID_TYPE_AUTO;
    encode.quant = XvidQuantizerFor(m_options.quality);
    encode.vop_flags = XVID_VOP_HALFPEL | XVID_VOP_INTER4V;
    encode.motion = XVID_ME_ADVANCEDDIAMOND16 | XVID_ME_HALFPELREFINE16 | XVID_ME_ADVANCEDDIAMOND8 |
                    XVID_ME_HALFPELREFINE8 | XVID_ME_CHROMA_PVOP;
    encode.bitstream = m_bitstream.data();
    encode.length = int(m_bitstream.size());
    const int bytes = xvid_encore(m_encoder, XVID_ENC_ENCODE, &encode, nullptr);
    if (bytes <= 0)
        return false;
    ++m_frameNumber;
    out.bytes = std::span<const std::uint8_t>(m_bitstream.data(), std::size_t(bytes));
    out.keyFrame = (encode.out_flags & XVID_KEYFRAME) != 0;
    return true;
}

} // namespace frametide::avi
