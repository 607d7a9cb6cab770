// Compressor: what a stream's codec does for the AVI writer: takes the input
// format, tells the format to store in strf, and turns each input frame into a
// sample.
#pragma once

#include "platform/avi/DibLayout.h"

#include <cstdint>
#include <span>
#include <vector>

namespace frametide::avi {

struct CompressorOptions {
    DWORD keyFrameEvery = 1; // 0 or 1: every frame is a key frame
    DWORD quality = 0;       // 1..10000; 0 and ICQUALITY_DEFAULT: the compressor's default
    DWORD rate = 30;         // frames per second = rate / scale
    DWORD scale = 1;
};

struct CompressedFrame {
    std::span<const std::uint8_t> bytes; // valid until the next Compress
    bool keyFrame = false;
};

class Compressor {
public:
    virtual ~Compressor() = default;
    // Accepts a 24 or 32-bit BI_RGB input; false for anything it cannot take.
    virtual bool SetInputFormat(const DibLayout &input) = 0;
    // The strf block: the stored format.
    virtual std::vector<std::uint8_t> StoredFormat() const = 0;
    // Compresses one frame of exactly the input's imageBytes.
    virtual bool Compress(std::span<const std::uint8_t> frame, CompressedFrame &out) = 0;
};

} // namespace frametide::avi
