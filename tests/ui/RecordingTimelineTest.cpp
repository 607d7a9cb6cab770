// Frames take their place on the movie's 30 fps timeline by their time stamps.
#include "ui/RecordingTimeline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr TMediaTime kSecond = 10'000'000;

// Total movie frames made from a camera delivering `fps` frames a second for `seconds`.
int MovieFramesFrom(int fps, int seconds, TMediaTime start = 0)
{
    TRecordingTimeline timeline;
    int total = 0;
    for (int frame = 0; frame < fps * seconds; ++frame)
        total += timeline.CopiesFor(start + frame * kSecond / fps);
    return total;
}

class CameraRates : public ::testing::TestWithParam<int> {};

TEST_P(CameraRates, TenSecondsMakeATenSecondMovie)
{
    const int fps = GetParam();
    // The movie spans first to last frame at 30 per second, plus the last frame itself.
    const double expected = (fps * 10 - 1) * 30.0 / fps + 1;
    EXPECT_NEAR(MovieFramesFrom(fps, 10, 123456789), expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, CameraRates, ::testing::Values(5, 15, 24, 30, 60),
                         [](const auto &info) { return std::to_string(info.param) + "fps"; });

TEST(RecordingTimeline, GapRepeatsTheFrameAndAFilledSlotSkipsIt)
{
    TRecordingTimeline timeline;
    EXPECT_EQ(timeline.CopiesFor(5 * kSecond), 1);                  // slot 0
    EXPECT_EQ(timeline.CopiesFor(5 * kSecond + kSecond / 30), 1);   // slot 1
    EXPECT_EQ(timeline.CopiesFor(5 * kSecond + 4 * kSecond / 30), 3); // slot 4: slots 2 to 4 repeat it
    EXPECT_EQ(timeline.CopiesFor(5 * kSecond + 4 * kSecond / 30 + 1000), 0); // slot 4 again
}

TEST(RecordingTimeline, RestartedCameraClockGoesOnFromTheNextSlot)
{
    TRecordingTimeline timeline;
    EXPECT_EQ(timeline.CopiesFor(50 * kSecond), 1);
    EXPECT_EQ(timeline.CopiesFor(50 * kSecond + kSecond / 30), 1);
    EXPECT_EQ(timeline.CopiesFor(0), 1);               // a new camera starts at 0
    EXPECT_EQ(timeline.CopiesFor(kSecond / 30), 1);
}

TEST(RecordingTimeline, ClockJumpOfMinutesIsNotFilledWithCopies)
{
    TRecordingTimeline timeline;
    EXPECT_EQ(timeline.CopiesFor(0), 1);
    EXPECT_EQ(timeline.CopiesFor(3600 * kSecond), 1);
    EXPECT_EQ(timeline.CopiesFor(3600 * kSecond + kSecond / 30), 1);
}

TEST(RecordingTimeline, RestartBeginsANewRecording)
{
    TRecordingTimeline timeline;
    timeline.CopiesFor(0);
    timeline.CopiesFor(kSecond);
    timeline.Restart();
    EXPECT_EQ(timeline.CopiesFor(20 * kSecond), 1);
    EXPECT_EQ(timeline.CopiesFor(20 * kSecond + 2 * kSecond / 30), 2);
}

} // namespace
