// Writing rules and the reader of the virtual cameras' frame stamp.
#include "tests/devices/FrameStamp.h"

namespace FrameStamp {

namespace {

int checkNibble(int number)
{
    int sum = 0x5;
    for (int shift = 0; shift < kNumberBits; shift += 4)
        sum += (number >> shift) & 0xF;
    return sum & 0xF;
}

// Guards, then the number's bits, then the check nibble, most significant bit first.
int stampWord(int frameNumber)
{
    const int number = frameNumber & (kModulus - 1);
    return (number << kCheckBits) | checkNibble(number);
}

} // namespace

bool CellIsWhite(int frameNumber, int cell)
{
    if (cell < kGuardCells)
        return cell == 0;
    const int bit = kCells - 1 - cell;
    return (stampWord(frameNumber) >> bit) & 1;
}

int CellBegin(int cell, int width)
{
    return static_cast<int>(static_cast<long long>(cell) * width / kCells);
}

int BandHeight(int height)
{
    return height / kBandHeightDivisor;
}

} // namespace FrameStamp

namespace {

using namespace FrameStamp;

// Mean brightness of the middle half of a cell, where blur and block edges reach least.
int cellBrightness(const unsigned char *bgra, int width, int height, int stride, int cell)
{
    const int left = CellBegin(cell, width);
    const int right = CellBegin(cell + 1, width);
    const int band = BandHeight(height);
    const int x0 = left + (right - left) / 4, x1 = right - (right - left) / 4;
    const int y0 = band / 4, y1 = band - band / 4;
    if (x1 <= x0 || y1 <= y0)
        return -1;
    long long sum = 0;
    for (int y = y0; y < y1; ++y) {
        const unsigned char *row = bgra + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = x0; x < x1; ++x)
            sum += row[4 * x] + row[4 * x + 1] + row[4 * x + 2];
    }
    return static_cast<int>(sum / (3 * static_cast<long long>(x1 - x0) * (y1 - y0)));
}

} // namespace

int ReadFrameStamp(const unsigned char *bgra, int width, int height, int stride)
{
    constexpr int kMinimumContrast = 80;
    if (!bgra || width < kCells * 2 || height < kBandHeightDivisor * 2 || stride < 4 * width)
        return -1;
    const int white = cellBrightness(bgra, width, height, stride, 0);
    const int black = cellBrightness(bgra, width, height, stride, 1);
    if (white < 0 || black < 0 || white - black < kMinimumContrast)
        return -1;
    const int threshold = (white + black) / 2;
    int word = 0;
    for (int cell = kGuardCells; cell < kCells; ++cell) {
        const int brightness = cellBrightness(bgra, width, height, stride, cell);
        if (brightness < 0)
            return -1;
        word = (word << 1) | (brightness > threshold ? 1 : 0);
    }
    const int number = word >> kCheckBits;
    for (int cell = kGuardCells; cell < kCells; ++cell) {
        if (CellIsWhite(number, cell) != (((word >> (kCells - 1 - cell)) & 1) != 0))
            return -1;
    }
    return number;
}
