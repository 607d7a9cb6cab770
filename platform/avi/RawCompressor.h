// RawCompressor: the "DIB " codec: frames are stored as they come.
#pragma once

#include "platform/avi/Compressor.h"

namespace frametide::avi {

class RawCompressor final : public Compressor {
public:
    bool SetInputFormat(const DibLayout &input) override;
    std::vector<std::uint8_t> StoredFormat() const override;
    bool Compress(std::span<const std::uint8_t> frame, CompressedFrame &out) override;

private:
    DibLayout m_input;
};

} // namespace frametide::avi
