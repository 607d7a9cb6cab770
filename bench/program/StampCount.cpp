// Reads the frame stamps of a movie made from a virtual camera and prints how
// many frames it has, how many distinct pictures, and the first and last stamp.
// Usage: ft_stamp_count MOVIE
#include "tests/devices/FrameStamp.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ft_stamp_count MOVIE\n");
        return 2;
    }
    // Small pictures are enough for the stamp and keep hour-long movies cheap to read.
    constexpr int kWidth = 320, kHeight = 180;
    const std::string command = "ffmpeg -v error -i '" + std::string(argv[1]) +
                                "' -vf scale=320:180 -f rawvideo -pix_fmt bgra -";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return 1;
    std::vector<unsigned char> frame(kWidth * kHeight * 4);
    long long frames = 0;
    std::set<int> distinct;
    int first = -1, last = -1;
    while (std::fread(frame.data(), 1, frame.size(), pipe) == frame.size()) {
        const int stamp = ReadFrameStamp(frame.data(), kWidth, kHeight, kWidth * 4);
        ++frames;
        if (stamp < 0)
            continue;
        distinct.insert(stamp);
        if (first < 0)
            first = stamp;
        last = stamp;
    }
    const int status = pclose(pipe);
    std::printf("%lld %zu %d %d\n", frames, distinct.size(), first, last);
    return status == 0 ? 0 : 1;
}
