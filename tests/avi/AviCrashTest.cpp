// A writer killed with SIGKILL in the middle of a recording leaves a file
// that plays every frame written more than a second before the kill.
#include "tests/avi/AviTestKit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace avi_test;
using Clock = std::chrono::steady_clock;

namespace {

struct CrashCase {
    const char *name;
    FOURCC codec;
    std::chrono::milliseconds framePause;
    int framesBeforeStall; // the writer then waits, as when the camera stops delivering; 0: never
};

std::ostream &operator<<(std::ostream &out, const CrashCase &c) { return out << c.name; }

// Child side: records frames until killed, reporting each written frame's count on the pipe.
[[noreturn]] void RecordUntilKilled(const std::string &path, const CrashCase &crash, int reportFd)
{
    MovieSpec spec;
    spec.codec = crash.codec;
    MovieSession session(path, spec);
    for (int i = 0; SUCCEEDED(session.SetupResult()); ++i) {
        if (FAILED(session.WriteFrame(ToBottomUpDib(TestPattern(spec.width, spec.height, i), 32))))
            break;
        const int written = i + 1;
        if (::write(reportFd, &written, sizeof written) != sizeof written)
            break;
        std::this_thread::sleep_for(crash.framePause);
        while (written == crash.framesBeforeStall)
            ::pause();
    }
    ::_exit(1);
}

struct Report {
    Clock::time_point at;
    int written;
};

class AviCrashTest : public ::testing::TestWithParam<CrashCase> {};

TEST_P(AviCrashTest, KilledWriterLeavesEveryFrameOlderThanASecond)
{
    TempFolder folder;
    const std::string path = folder.File("killed.avi");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        RecordUntilKilled(path, GetParam(), fds[1]);
    }
    ::close(fds[1]);

    std::vector<Report> reports;
    const Clock::time_point killAt = Clock::now() + std::chrono::milliseconds(2600);
    while (Clock::now() < killAt) {
        pollfd ready{fds[0], POLLIN, 0};
        if (::poll(&ready, 1, 10) <= 0)
            continue;
        int written = 0;
        if (::read(fds[0], &written, sizeof written) != sizeof written)
            break;
        reports.push_back({Clock::now(), written});
    }
    ::kill(child, SIGKILL);
    const Clock::time_point killed = Clock::now();
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped before it was killed";

    int safe = 0;
    for (const Report &report : reports) {
        if (report.at <= killed - std::chrono::seconds(1))
            safe = report.written;
    }
    ASSERT_GT(safe, 0);
    // ffmpeg salvages unindexed chunks on its own, so the header's count shows whether our updates kept up.
    EXPECT_GE(media_oracle::ProbeVideo(path, false).headerFrames, safe);
    const std::vector<media_oracle::BgraFrame> decoded = media_oracle::DecodeBgraFrames(path);
    ASSERT_GE(decoded.size(), std::size_t(safe)) << "written " << reports.back().written;
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
    for (int i = 0; i < safe; ++i)
        ASSERT_GE(media_oracle::PsnrBgra(decoded[i], TestPattern(320, 240, i)), 40.0) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(Recordings, AviCrashTest,
                         ::testing::Values(CrashCase{"XvidAtCameraPace", mmioFOURCC('x', 'v', 'i', 'd'),
                                                     std::chrono::milliseconds(33), 0},
                                           CrashCase{"XvidThenStalled", mmioFOURCC('x', 'v', 'i', 'd'),
                                                     std::chrono::milliseconds(33), 20},
                                           CrashCase{"UncompressedFast", 0, std::chrono::milliseconds(4), 0}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
