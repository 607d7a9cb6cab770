// The virtual device list as FRAMETIDE_TEST_DEVICES gives it:
//   video:NAME:WIDTHxHEIGHT@FPS[:key=value]...   a live test-pattern camera
//   audio:NAME                                   a live test tone
// entries separated by ";". FPS is N or N/D. Keys: fail-after=N (the camera
// posts an error after N frames), fail-start=1 (the camera cannot be started),
// format=YUY2|I420|BGRx (the camera's pixel format, YUY2 when not given).
#pragma once

#include <string>
#include <vector>

struct TestDeviceSpec {
    enum class Kind { Video, Audio };
    Kind kind = Kind::Video;
    std::string name;
    int width = 0;
    int height = 0;
    int fpsNumerator = 0;
    int fpsDenominator = 1;
    std::string format = "YUY2";
    unsigned failAfter = 0;   // 0: never
    bool failStart = false;
};

// The entries in their order; malformed ones are left out and named in errors.
std::vector<TestDeviceSpec> ParseTestDevices(const std::string &text, std::vector<std::string> *errors = nullptr);
