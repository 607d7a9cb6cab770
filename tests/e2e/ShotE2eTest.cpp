// The real program takes photos and records movies as a user would make them:
// what lands in the Pictures folder is judged by ffprobe and ffmpeg, and the
// virtual cameras' frame stamps tell repeated and lost frames apart.
#include "tests/e2e/Desktop.h"

#include "tests/devices/FrameStamp.h"

#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;
using media_oracle::BgraFrame;

std::vector<int> Stamps(const std::vector<BgraFrame> &frames)
{
    std::vector<int> stamps;
    for (const BgraFrame &frame : frames)
        stamps.push_back(ReadFrameStamp(frame.pixels.data(), frame.width, frame.height, frame.width * 4));
    return stamps;
}

class ShotE2e : public Desktop {
protected:
    // Records for the given time with the camera that is running, and returns the movie.
    std::string Record(std::chrono::milliseconds length, const std::function<void()> &meanwhile = {})
    {
        ChooseVideo();
        PressShot(); // GO!
        if (meanwhile)
            meanwhile();
        std::this_thread::sleep_for(length);
        PressShot(); // Stop
        const std::string box = WaitForMessageBox();
        EXPECT_FALSE(box.empty()) << "no message after the stop";
        Screenshot("stopped");
        CloseMessageBox(box);
        return OnlyMovie();
    }

    std::string OnlyMovie()
    {
        std::vector<std::string> movies;
        WaitUntil([&] { return !(movies = OutputFiles(".avi")).empty(); }, 5s);
        EXPECT_EQ(movies.size(), 1u);
        return movies.empty() ? std::string() : movies.front();
    }

    static void ExpectXvidMovie(const media_oracle::VideoFacts &facts, int width, int height)
    {
        ASSERT_TRUE(facts.ok);
        EXPECT_EQ(facts.codecName, "mpeg4");
        EXPECT_TRUE(facts.codecTag == "xvid" || facts.codecTag == "XVID") << facts.codecTag;
        EXPECT_EQ(facts.width, width);
        EXPECT_EQ(facts.height, height);
        EXPECT_EQ(facts.frameRate, "30/1");
        EXPECT_EQ(facts.title, "Video Stream");
        EXPECT_EQ(facts.headerFrames, facts.countedFrames);
    }
};

TEST_F(ShotE2e, PhotoIsAJpegOfTheCamerasPicture)
{
    Launch("video:Cam:640x480@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480"));
    PressShot();
    std::vector<std::string> photos;
    ASSERT_TRUE(WaitUntil([&] { return !(photos = OutputFiles(".JPG")).empty(); }, 5s));

    const std::vector<BgraFrame> pictures = media_oracle::DecodeBgraFrames(photos.front());
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].width, 640);
    EXPECT_EQ(pictures[0].height, 480);
    EXPECT_GE(Stamps(pictures)[0], 0) << "the test pattern's stamp is not in the photo";
}

TEST_F(ShotE2e, RecordingHoldsEveryDeliveredFrameOnce)
{
    Launch("video:Cam:640x480@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480"));
    const std::string movie = Record(3s);

    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(movie);
    ExpectXvidMovie(facts, 640, 480);
    const std::vector<int> stamps = Stamps(media_oracle::DecodeBgraFrames(movie));
    ASSERT_EQ(static_cast<long long>(stamps.size()), facts.countedFrames);
    ASSERT_GE(stamps.size(), 60u);
    const std::set<int> distinct(stamps.begin(), stamps.end());
    const int delivered = stamps.back() - stamps.front() + 1;
    // Frames the camera delivered while the window was busy are dropped, not
    // queued (the benchmark measures how many); the movie still spans them all.
    EXPECT_GE(static_cast<double>(distinct.size()), 0.85 * delivered);
    EXPECT_NEAR(static_cast<double>(stamps.size()), delivered, 0.05 * delivered);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie), 0);
}

TEST_F(ShotE2e, ClosingTheWindowCompletesTheRecording)
{
    Launch("video:Cam:640x480@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480"));
    ChooseVideo();
    PressShot();
    std::this_thread::sleep_for(2s);
    CloseMainWindow();
    EXPECT_EQ(program.Wait(10s), 0);

    const std::string movie = OnlyMovie();
    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(movie);
    ExpectXvidMovie(facts, 640, 480);
    EXPECT_GE(facts.countedFrames, 40);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie), 0);
}

TEST_F(ShotE2e, RecordingAcrossACameraSwitchDecodesThroughout)
{
    Launch("video:Large:640x480@30;video:Small:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480"));
    const std::string movie = Record(3s, [this] {
        std::this_thread::sleep_for(1500ms);
        ClickCamera(1);
    });
    EXPECT_EQ(WindowName(), "Video Size: 320x240");

    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(movie);
    ExpectXvidMovie(facts, 640, 480);
    EXPECT_GE(facts.countedFrames, 60);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movie), 0);
}

TEST_F(ShotE2e, FifteenFramesASecondMakeARealTimeMovie)
{
    Launch("video:Slow:320x240@15;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));
    const std::string movie = Record(4s);

    const std::vector<int> stamps = Stamps(media_oracle::DecodeBgraFrames(movie));
    ASSERT_GE(stamps.size(), 2u);
    // The camera's own frames span (last - first) / 15 seconds; the movie plays that long at 30.
    const double expected = (stamps.back() - stamps.front()) * 2.0 + 1;
    EXPECT_NEAR(static_cast<double>(stamps.size()), expected, expected * 0.05);
    EXPECT_NEAR(static_cast<double>(stamps.size()), 120.0, 120.0 * 0.15);
}

} // namespace
