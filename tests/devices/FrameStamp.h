// The frame stamp of the virtual cameras: the frame number as a row of large
// black and white cells across the top of the picture, readable after scaling
// and lossy compression. The test cameras write it; tests read it back.
#pragma once

#include <cstddef>

namespace FrameStamp {

// Layout, as fractions of the picture so that scaling keeps it readable:
// the band's height, then across the width a white and a black guard cell,
// the number's bits (most significant first) and a check nibble.
constexpr int kBandHeightDivisor = 6;
constexpr int kNumberBits = 20;
constexpr int kCheckBits = 4;
constexpr int kGuardCells = 2;
constexpr int kCells = kGuardCells + kNumberBits + kCheckBits;
constexpr int kModulus = 1 << kNumberBits;

// Whether cell `cell` (0 .. kCells - 1) of the stamp for frameNumber is white.
bool CellIsWhite(int frameNumber, int cell);

// Cell bounds in pixels for a picture of the given width; [begin, end).
int CellBegin(int cell, int width);
int BandHeight(int height);

} // namespace FrameStamp

// The frame number stamped into a 32-bit BGRA/BGRx picture (top row first),
// modulo 2^20, or -1 when no stamp can be read.
int ReadFrameStamp(const unsigned char *bgra, int width, int height, int stride);
