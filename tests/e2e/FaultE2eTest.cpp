// Faults met by the real program: a full disk, a kill, a failing camera and an
// unusable Pictures folder. Whatever happens, nothing recorded is lost, the
// program runs on, and the failure is said in words.
#include "tests/e2e/Desktop.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class FaultE2e : public Desktop {
protected:
    // Starts and stops a recording; the stop's message.
    std::string RecordFor(std::chrono::milliseconds length)
    {
        ChooseVideo();
        PressShot();
        std::this_thread::sleep_for(length);
        PressShot();
        const std::string box = WaitForMessageBox();
        if (box.empty())
            return "<no message>";
        const std::string text = ReadMessageBox(box);
        CloseMessageBox(box);
        return text;
    }

    // The message a photo brings up, or "" when none came.
    std::string PhotoMessage()
    {
        ChoosePhoto();
        PressShot();
        const std::string box = WaitForMessageBox(3s);
        if (box.empty())
            return "";
        const std::string text = ReadMessageBox(box);
        CloseMessageBox(box);
        return text;
    }

    static long long DecodableFrames(const std::string &movie)
    {
        return media_oracle::ProbeVideo(movie).countedFrames;
    }
};

TEST_F(FaultE2e, FullDiskEndsTheRecordingWithItsFramesAndTheNextOneWorks)
{
    // A file size limit stands for the full disk: each movie may reach 1.5 MB.
    Launch("video:Cam:640x480@30;audio:Mic", {}, {"prlimit", "--fsize=1500000", "--"});
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480"));

    EXPECT_EQ(RecordFor(5s), "Unable to Write Video Stream to the output Movie File");
    EXPECT_TRUE(program.Running());
    std::vector<std::string> movies = OutputFiles(".avi");
    ASSERT_EQ(movies.size(), 1u);
    const media_oracle::VideoFacts full = media_oracle::ProbeVideo(movies[0]);
    EXPECT_GT(full.countedFrames, 10);
    EXPECT_EQ(full.headerFrames, full.countedFrames);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movies[0]), 0);

    EXPECT_EQ(RecordFor(1s), "Method Succeeded");
    movies = OutputFiles(".avi");
    ASSERT_EQ(movies.size(), 2u);
    for (const std::string &movie : movies)
        EXPECT_EQ(media_oracle::CountDecodeErrors(movie), 0) << movie;
}

TEST_F(FaultE2e, KilledProgramLeavesAMoviePlayableUpToASecondBeforeTheKill)
{
    Launch("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));
    ChooseVideo();
    PressShot();
    std::this_thread::sleep_for(4s);
    program.Kill(SIGKILL);

    const std::vector<std::string> movies = OutputFiles(".avi");
    ASSERT_EQ(movies.size(), 1u);
    // About 120 frames were recorded; all but the last second's must play.
    EXPECT_GE(DecodableFrames(movies[0]), 60);
}

TEST_F(FaultE2e, CameraFailingMidRecordingLeavesAPlayableMovie)
{
    Launch("video:Cam:320x240@30:fail-after=45;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));
    EXPECT_EQ(RecordFor(3s), "Method Succeeded");
    EXPECT_TRUE(program.Running());

    const std::vector<std::string> movies = OutputFiles(".avi");
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_GE(DecodableFrames(movies[0]), 30);
    EXPECT_EQ(media_oracle::CountDecodeErrors(movies[0]), 0);
}

TEST_F(FaultE2e, ReadOnlyPicturesFolderIsAccessDenied)
{
    // The home folder and the test's folder above it may be entered; only
    // Pictures refuses new entries.
    const std::filesystem::path homePath(home);
    ASSERT_EQ(::chmod(homePath.parent_path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(home.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(pictures.c_str(), 0555), 0);
    // Root writes anywhere: the program runs as an ordinary user then.
    std::vector<std::string> asUser;
    if (::geteuid() == 0)
        asUser = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    Launch("video:Cam:320x240@30;audio:Mic", {}, asUser);
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));

    EXPECT_EQ(PhotoMessage(), "File access denied.");
    EXPECT_TRUE(program.Running());
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(FaultE2e, MissingPicturesFolderIsSaidAndNothingIsWritten)
{
    std::filesystem::remove_all(pictures);
    Launch("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));

    EXPECT_EQ(PhotoMessage(), "The specified file was not found.");
    EXPECT_EQ(RecordFor(500ms), "The specified file was not found.");
    EXPECT_TRUE(program.Running());
    EXPECT_FALSE(std::filesystem::exists(pictures));
}

TEST_F(FaultE2e, FrametideLinkedToAFolderIsFollowed)
{
    const std::string elsewhere = home + "/Elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, output);
    Launch("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));

    EXPECT_EQ(PhotoMessage(), "");
    EXPECT_EQ(QDir(QString::fromStdString(elsewhere)).entryList(QDir::Files).size(), 1);
}

TEST_F(FaultE2e, DanglingFrametideLinkIsSaidAndLeftAlone)
{
    std::filesystem::create_directory_symlink(home + "/Gone", output);
    Launch("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForWindowName("Video Size: 320x240"));

    EXPECT_EQ(PhotoMessage(), "I/O error 183.");
    EXPECT_TRUE(std::filesystem::is_symlink(output));
    EXPECT_FALSE(std::filesystem::exists(home + "/Gone"));
    EXPECT_TRUE(program.Running());
}

} // namespace
