// MediaOracle: test helpers that judge media files by independent readers
// (ffprobe and ffmpeg), so tests never trust our own code to read back what it
// wrote. All functions are synchronous and throw nothing; a failed tool shows as
// an empty result or a non-zero exit code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media_oracle {

struct CommandResult {
    int exitCode = -1;   // the child's exit status, or -1 if it could not run or died by a signal
    std::string out;     // everything it wrote to stdout
    std::string err;     // everything it wrote to stderr
};

// Runs argv[0] (looked up in PATH) with the given arguments and waits for it.
CommandResult RunCommand(const std::vector<std::string> &argv);

// Facts ffprobe reports about the first video stream of a file.
struct VideoFacts {
    bool ok = false;           // ffprobe ran and found a video stream
    int streamCount = 0;       // all streams in the file
    int videoStreamCount = 0;
    std::string codecName;     // "mpeg4", "rawvideo", ...
    std::string codecTag;      // codec_tag_string, "xvid", "XVID", "[0][0][0][0]"
    int width = 0;
    int height = 0;
    std::string frameRate;     // r_frame_rate, "30/1"
    long long headerFrames = -1;  // nb_frames as the container declares it, -1 if absent
    long long countedFrames = -1; // nb_read_frames, only when countFrames was asked for
    std::string title;         // the stream's "title" tag (the AVI strn chunk)
};

// ffprobe -of json on path; countFrames also decodes the stream to count its frames.
VideoFacts ProbeVideo(const std::string &path, bool countFrames = true);

// One decoded picture: rows top-down, 4 bytes per pixel in B, G, R, A order.
struct BgraFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Decodes every frame of the first video stream with ffmpeg into memory.
// Empty when ffmpeg fails. Meant for short test movies: it holds all frames.
std::vector<BgraFrame> DecodeBgraFrames(const std::string &path);

// The first frame at or after `seconds`, reached by ffmpeg's seek (so through
// the file's index where it has one). Empty pixels when ffmpeg fails.
BgraFrame DecodeBgraFrameAt(const std::string &path, double seconds);

// Peak signal-to-noise ratio in dB over the B, G and R bytes (alpha ignored);
// 0 when the sizes differ, a large finite value (999) for identical frames.
double PsnrBgra(const BgraFrame &a, const BgraFrame &b);

// Number of lines ffmpeg -v error prints while decoding the whole file (0 = clean),
// or -1 if ffmpeg could not run or exited with an error.
int CountDecodeErrors(const std::string &path);

} // namespace media_oracle
