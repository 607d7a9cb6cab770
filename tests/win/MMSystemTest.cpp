// mmioStringToFOURCCW: the codec code the window asks for, and its edge cases.
#include "platform/win/MMSystem.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct FourccCase {
    const char16_t *text;
    UINT flags;
    std::array<char, 4> bytes;
};

class MmioStringToFourcc : public testing::TestWithParam<FourccCase> {};

TEST_P(MmioStringToFourcc, PacksFirstCharacterLowest)
{
    const auto &[text, flags, bytes] = GetParam();
    const FOURCC code = mmioStringToFOURCCW(text, flags);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<char>((code >> (8 * i)) & 0xFF), bytes[i]) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Texts, MmioStringToFourcc,
                         testing::Values(FourccCase{u"xvid", 0, {'x', 'v', 'i', 'd'}},
                                         FourccCase{u"XviD", 0, {'X', 'v', 'i', 'D'}},
                                         FourccCase{u"xvid", MMIO_TOUPPER, {'X', 'V', 'I', 'D'}},
                                         FourccCase{u"ab", 0, {'a', 'b', ' ', ' '}},
                                         FourccCase{u"", 0, {' ', ' ', ' ', ' '}},
                                         FourccCase{u"toolong", 0, {'t', 'o', 'o', 'l'}},
                                         FourccCase{u"x\u00e9id", 0, {'x', '?', 'i', 'd'}}));

TEST(MmioStringToFourccValues, MatchTheFourccMacro)
{
    EXPECT_EQ(mmioStringToFOURCCW(u"vids", 0), 0x73646976u);
    EXPECT_EQ(mmioStringToFOURCCW(u"xvid", 0), mmioFOURCC('x', 'v', 'i', 'd'));
    EXPECT_EQ(mmioStringToFOURCCW(nullptr, 0), 0u);
}

} // namespace
