// XvidCompressor: MPEG-4 Part 2 (Advanced Simple) through libxvidcore, fed
// with I420 converted by libyuv, at a fixed quantizer derived from the quality.
#pragma once

#include "platform/avi/Compressor.h"

namespace frametide::avi {

// Quantizer for quality 0 (and ICQUALITY_DEFAULT): high quality at a sensible size.
constexpr int kDefaultXvidQuantizer = 4;

// 1..10000 map linearly onto quantizers 31..1; 0 and ICQUALITY_DEFAULT give the default.
int XvidQuantizerFor(DWORD quality);

class XvidCompressor final : public Compressor {
public:
    XvidCompressor(FOURCC storedCode, const CompressorOptions &options);
    ~XvidCompressor() override;
    XvidCompressor(const XvidCompressor &) = delete;
    XvidCompressor &operator=(const XvidCompressor &) = delete;

    bool SetInputFormat(const DibLayout &input) override;
    std::vector<std::uint8_t> StoredFormat() const override;
    bool Compress(std::span<const std::uint8_t> frame, CompressedFrame &out) override;

private:
    bool ConvertToI420(std::span<const std::uint8_t> frame);
    static bool FitsMpeg4(const DibLayout &input);
    void DestroyEncoder();

    FOURCC m_storedCode;
    CompressorOptions m_options;
    DibLayout m_input;
    void *m_encoder = nullptr;
    std::uint64_t m_frameNumber = 0;
    std::vector<std::uint8_t> m_planes;    // I420: Y, then U, then V
    std::vector<std::uint8_t> m_bitstream; // one compressed frame
};

} // namespace frametide::avi
