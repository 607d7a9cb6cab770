// A recording past 1 GiB continues in OpenDML RIFF-AVIX parts and reads back
// whole: every frame counted and decoded, the last one intact.
#include "tests/avi/AviTestKit.h"

#include <gtest/gtest.h>

using namespace avi_test;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// 8 294 400 bytes a frame: 140 frames make about 1.16 GB.
constexpr int kFrames = 140;

media_oracle::BgraFrame DecodeFrame(const std::string &path, int index)
{
    const media_oracle::CommandResult run = media_oracle::RunCommand(
        {"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-vf", "select=eq(n\\," + std::to_string(index) + ")",
         "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
    media_oracle::BgraFrame frame{kWidth, kHeight, {}};
    frame.pixels.assign(run.out.begin(), run.out.end());
    return frame;
}

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
    for (int index : {0, kFrames / 2, kFrames - 1})
        EXPECT_GE(media_oracle::PsnrBgra(DecodeFrame(path, index), TestPattern(kWidth, kHeight, index)), 99.0)
            << "frame " << index;
}

} // namespace
