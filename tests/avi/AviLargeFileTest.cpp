// A recording past 1 GiB continues in OpenDML RIFF-AVIX parts and reads back
// whole: every frame counted and decoded, frames found through the index intact.
#include "tests/avi/AviTestKit.h"

#include <gtest/gtest.h>

using namespace avi_test;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// 8 294 400 bytes a frame: 140 frames make about 1.16 GB.
constexpr int kFrames = 140;

TEST(AviLargeFile, PastOneGibibyteEveryFrameReadsBack)
{
    TempFolder folder;
    const std::string path = folder.File("large.avi");
    MovieSpec spec;
    spec.codec = mmioFOURCC('D', 'I', 'B', ' ');
    spec.width = kWidth;
    spec.height = kHeight;
    ASSERT_TRUE(WritePatternMovie(path, spec, kFrames));
    ASSERT_GT(std::filesystem::file_size(path), 1ull << 30);

    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path);
    EXPECT_EQ(facts.headerFrames, kFrames);
    EXPECT_EQ(facts.countedFrames, kFrames);
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
    // Seeking goes through the OpenDML index, into the first part and into the AVIX part.
    for (int index : {0, kFrames / 2, kFrames - 1}) {
        const media_oracle::BgraFrame frame = media_oracle::DecodeBgraFrameAt(path, index / 30.0);
        EXPECT_GE(media_oracle::PsnrBgra(frame, TestPattern(kWidth, kHeight, index)), 99.0) << "frame " << index;
    }
}

} // namespace
