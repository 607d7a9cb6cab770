// MediaOracle: ffprobe and ffmpeg run as child processes, their output parsed
// with Qt's JSON reader.
#include "tests/support/MediaOracle.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace media_oracle {
namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { (void)::pipe2(fds, O_CLOEXEC); } // dup2 clears the flag on the child's copy
    ~Pipe() { CloseBoth(); }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;
    void Close(int end)
    {
        if (fds[end] >= 0)
            ::close(fds[end]);
        fds[end] = -1;
    }
    void CloseBoth() { Close(0); Close(1); }
};

// Reads both pipes together so that a child filling one of them never blocks.
void DrainBoth(int outFd, int errFd, std::string &out, std::string &err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string *sinks[2] = {&out, &err};
    int open = 2;
    std::vector<char> chunk(1 << 16);
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            ssize_t n = ::read(fds[i].fd, chunk.data(), chunk.size());
            if (n > 0) {
                sinks[i]->append(chunk.data(), static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

long long ToInteger(const QJsonValue &value)
{
    bool ok = false;
    long long number = value.toString().toLongLong(&ok);
    return ok ? number : -1;
}

} // namespace

CommandResult RunCommand(const std::vector<std::string> &argv)
{
    CommandResult result;
    if (argv.empty())
        return result;
    Pipe outPipe, errPipe;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe.fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe.fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    outPipe.Close(1);
    errPipe.Close(1);
    if (spawned != 0)
        return result;
    DrainBoth(outPipe.fds[0], errPipe.fds[0], result.out, result.err);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

VideoFacts ProbeVideo(const std::string &path, bool countFrames)
{
    std::vector<std::string> argv = {"ffprobe", "-v", "error", "-of", "json", "-show_streams"};
    if (countFrames)
        argv.push_back("-count_frames");
    argv.push_back(path);
    CommandResult run = RunCommand(argv);
    VideoFacts facts;
    if (run.exitCode != 0)
        return facts;
    const QJsonArray streams =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object().value("streams").toArray();
    facts.streamCount = static_cast<int>(streams.size());
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type").toString() != "video")
            continue;
        if (facts.videoStreamCount++ > 0)
            continue;
        facts.ok = true;
        facts.codecName = stream.value("codec_name").toString().toStdString();
        facts.codecTag = stream.value("codec_tag_string").toString().toStdString();
        facts.width = stream.value("width").toInt();
        facts.height = stream.value("height").toInt();
        facts.frameRate = stream.value("r_frame_rate").toString().toStdString();
        facts.headerFrames = ToInteger(stream.value("nb_frames"));
        facts.countedFrames = ToInteger(stream.value("nb_read_frames"));
        facts.title = stream.value("tags").toObject().value("title").toString().toStdString();
    }
    return facts;
}

std::vector<BgraFrame> DecodeBgraFrames(const std::string &path)
{
    std::vector<BgraFrame> frames;
    const VideoFacts facts = ProbeVideo(path, false);
    if (!facts.ok || facts.width <= 0 || facts.height <= 0)
        return frames;
    CommandResult run = RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-map", "0:v:0", "-f",
                                    "rawvideo", "-pix_fmt", "bgra", "-"});
    if (run.exitCode != 0)
        return frames;
    const size_t frameBytes = static_cast<size_t>(facts.width) * facts.height * 4;
    for (size_t at = 0; at + frameBytes <= run.out.size(); at += frameBytes) {
        BgraFrame frame{facts.width, facts.height, {}};
        frame.pixels.assign(run.out.begin() + static_cast<std::ptrdiff_t>(at),
                            run.out.begin() + static_cast<std::ptrdiff_t>(at + frameBytes));
        frames.push_back(std::move(frame));
    }
    return frames;
}

BgraFrame DecodeBgraFrameAt(const std::string &path, double seconds)
{
    const VideoFacts facts = ProbeVideo(path, false);
    BgraFrame frame{facts.width, facts.height, {}};
    CommandResult run = RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-ss", std::to_string(seconds), "-i", path,
                                    "-map", "0:v:0", "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
    if (run.exitCode == 0 && run.out.size() == std::size_t(facts.width) * facts.height * 4)
        frame.pixels.assign(run.out.begin(), run.out.end());
    return frame;
}

double PsnrBgra(const BgraFrame &a, const BgraFrame &b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size() || a.pixels.empty())
        return 0.0;
    double squaredError = 0.0;
    size_t samples = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double diff = double(a.pixels[i]) - double(b.pixels[i]);
        squaredError += diff * diff;
        ++samples;
    }
    if (squaredError == 0.0)
        return 999.0;
    return 10.0 * std::log10(255.0 * 255.0 / (squaredError / double(samples)));
}

int CountDecodeErrors(const std::string &path)
{
    CommandResult run = RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-i", path, "-f", "null", "-"});
    if (run.exitCode != 0)
        return -1;
    int lines = 0;
    for (char c : run.err)
        lines += c == '\n';
    return lines;
}

} // namespace media_oracle
