// The compress options' quality maps onto xvid's quantizer: 0 and the
// default marker give the chosen default, the 1..10000 scale runs from the
// coarsest quantizer to the finest.
#include "movie/VFW.h"
#include "platform/avi/XvidCompressor.h"

#include <gtest/gtest.h>

namespace {

struct QualityCase {
    DWORD quality;
    int quantizer;
};

class XvidQualityTest : public ::testing::TestWithParam<QualityCase> {};

TEST_P(XvidQualityTest, MapsOntoTheQuantizer)
{
    EXPECT_EQ(frametide::avi::XvidQuantizerFor(GetParam().quality), GetParam().quantizer);
}

INSTANTIATE_TEST_SUITE_P(Qualities, XvidQualityTest,
                         ::testing::Values(QualityCase{0, frametide::avi::kDefaultXvidQuantizer},
                                           QualityCase{DWORD(ICQUALITY_DEFAULT), frametide::avi::kDefaultXvidQuantizer},
                                           QualityCase{1, 31}, QualityCase{5000, 16}, QualityCase{9000, 4},
                                           QualityCase{10000, 1}, QualityCase{20000, 1}));

} // namespace
