// Times one recording, in one of two ways, and prints one line of figures:
//   writer  - the writer's own path: a hand-off bitmap per frame, the GetDIBits
//             copy, compression and the write, as the window drives it;
//   service - the AVI service alone: the same frames, already bottom-up, handed
//             to AVIStreamWrite.
// One recording per process, so the peak memory (getrusage) is this recording's.
// The link wraps AVIStreamWrite, so the calling thread's CPU time spent in the
// writer itself (everything but the service's write) is counted apart.
// Usage: ft_movie_bench writer|service WIDTH HEIGHT FRAMES OUTPUT.avi
#include "movie/AviFromBitmaps.h"
#include "movie/VFW.h"
#include "platform/win/MMSystem.h"
#include "platform/win/VclBitmap.h"

#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kDistinctFrames = 4;

struct Figures {
    double seconds = 0;
    double cpuSeconds = 0;
    double callerCpuSeconds = 0;  // the recording thread's CPU time outside AVIStreamWrite and the hand-off
    double handOffCpuSeconds = 0; // making and filling the hand-off bitmaps (the window's share)
};

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double g_writeCallerCpuSeconds = 0;
double g_handOffCpuSeconds = 0;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A moving test pattern, top row first, 32 bits a pixel.
std::vector<BYTE> PatternFrame(int width, int height, int index)
{
    std::vector<BYTE> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE *pixel = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            pixel[0] = static_cast<BYTE>(x + index * 8);
            pixel[1] = static_cast<BYTE>(y);
            pixel[2] = static_cast<BYTE>((x ^ y) + index * 16);
            pixel[3] = 255;
        }
    return pixels;
}

std::vector<BYTE> BottomUp(const std::vector<BYTE> &topDown, int width, int height)
{
    std::vector<BYTE> flipped(topDown.size());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(&flipped[y * rowBytes], &topDown[(height - 1 - y) * rowBytes], rowBytes);
    return flipped;
}

template <typename RecordFrame> Figures Timed(int frames, RecordFrame &&record)
{
    const double cpuBefore = CpuSeconds();
    const double threadBefore = ThreadCpuSeconds();
    const auto before = std::chrono::steady_clock::now();
    record(frames);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - before;
    const double threadCpu = ThreadCpuSeconds() - threadBefore;
    return {elapsed.count(), CpuSeconds() - cpuBefore, threadCpu - g_writeCallerCpuSeconds - g_handOffCpuSeconds,
            g_handOffCpuSeconds};
}

void HandOffFrame(TAviFromBitmaps &writer, const std::vector<BYTE> &preview, int width, int height)
{
    const double before = ThreadCpuSeconds();
    Vcl::TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    bitmap.SetPixelFormat(Vcl::pf32bit);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(bitmap.ScanLine(y), &preview[y * rowBytes], rowBytes);
    g_handOffCpuSeconds += ThreadCpuSeconds() - before;
    if (writer.AppendNewFrame(bitmap.Handle()) != S_OK) {
        std::fprintf(stderr, "writer: %s\n", writer.GetLastErrorMessage().toStdString().c_str());
        std::exit(1);
    }
}

Figures RecordThroughWriter(const std::string &path, int width, int height, int frames)
{
    std::vector<std::vector<BYTE>> previews;
    for (int i = 0; i < kDistinctFrames; ++i)
        previews.push_back(PatternFrame(width, height, i));
    return Timed(frames, [&](int count) {
        std::unique_ptr<TAviFromBitmaps> writer(TAviFromBitmaps::CreateAviFile(
            nullptr, QString::fromStdString(path), mmioStringToFOURCCW(u"xvid", 0), 30, 1));
        for (int i = 0; i < count; ++i)
            HandOffFrame(*writer, previews[i % kDistinctFrames], width, height);
    });
}

void Check(HRESULT result, const char *what)
{
    if (FAILED(result)) {
        std::fprintf(stderr, "service: %s failed\n", what);
        std::exit(1);
    }
}

// The service as the writer sets it up, with nothing of the writer in between.
Figures RecordThroughService(const std::string &path, int width, int height, int frames)
{
    std::vector<std::vector<BYTE>> samples;
    for (int i = 0; i < kDistinctFrames; ++i)
        samples.push_back(BottomUp(PatternFrame(width, height, i), width, height));
    const std::u16string name = QString::fromStdString(path).toStdU16String();
    const LONG imageBytes = width * height * 4;
    return Timed(frames, [&](int count) {
        AVIFileInit();
        PAVIFile file = nullptr;
        PAVIStream stream = nullptr, compressed = nullptr;
        Check(AVIFileOpenW(&file, name.c_str(), OF_WRITE | OF_CREATE, nullptr), "AVIFileOpenW");
        TAVISTREAMINFOA info{};
        info.fccType = streamtypeVIDEO;
        info.fccHandler = mmioFOURCC('x', 'v', 'i', 'd');
        info.dwScale = 1;
        info.dwRate = 30;
        info.dwQuality = static_cast<DWORD>(ICQUALITY_DEFAULT);
        info.dwSuggestedBufferSize = static_cast<DWORD>(imageBytes);
        info.rcFrame = RECT{0, 0, width, height};
        std::strcpy(info.szName, "Video Stream");
        Check(AVIFileCreateStream(file, &stream, &info), "AVIFileCreateStream");
        TAVICOMPRESSOPTIONS options{};
        options.fccType = streamtypeVIDEO;
        options.fccHandler = info.fccHandler;
        options.dwKeyFrameEvery = 1;
        options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
        Check(AVIMakeCompressedStream(&compressed, stream, &options, nullptr), "AVIMakeCompressedStream");
        BITMAPINFOHEADER format{};
        format.biSize = sizeof format;
        format.biWidth = width;
        format.biHeight = height;
        format.biPlanes = 1;
        format.biBitCount = 32;
        format.biCompression = BI_RGB;
        format.biSizeImage = static_cast<DWORD>(imageBytes);
        Check(AVIStreamSetFormat(compressed, 0, &format, sizeof format), "AVIStreamSetFormat");
        for (int i = 0; i < count; ++i)
            Check(AVIStreamWrite(compressed, i, 1, samples[i % kDistinctFrames].data(), imageBytes, 0, nullptr,
                                 nullptr),
                  "AVIStreamWrite");
        AVIStreamRelease(compressed);
        AVIStreamRelease(stream);
        AVIFileRelease(file);
    });
}

} // namespace

extern "C" {
HRESULT __real_AVIStreamWrite(PAVIStream pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                              DWORD dwFlags, LONG *plSampWritten, LONG *plBytesWritten);

HRESULT __wrap_AVIStreamWrite(PAVIStream pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                              DWORD dwFlags, LONG *plSampWritten, LONG *plBytesWritten)
{
    const double before = ThreadCpuSeconds();
    const HRESULT result =
        __real_AVIStreamWrite(pavi, lStart, lSamples, lpBuffer, cbBuffer, dwFlags, plSampWritten, plBytesWritten);
    g_writeCallerCpuSeconds += ThreadCpuSeconds() - before;
    return result;
}
}

int main(int argc, char **argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s writer|service WIDTH HEIGHT FRAMES OUTPUT.avi\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int frames = std::atoi(argv[4]);
    const std::string path = argv[5];
    if (width <= 0 || height <= 0 || frames <= 0 || (mode != "writer" && mode != "service")) {
        std::fprintf(stderr, "bad arguments\n");
        return 2;
    }
    const Figures figures = mode == "writer" ? RecordThroughWriter(path, width, height, frames)
                                             : RecordThroughService(path, width, height, frames);
    // mode size frames fps cpu-s/frame caller-cpu-s/frame hand-off-cpu-s/frame peak-MB
    std::printf("%s %dx%d %d %.1f %.5f %.5f %.5f %.1f\n", mode.c_str(), width, height, frames, frames / figures.seconds,
                figures.cpuSeconds / frames, figures.callerCpuSeconds / frames, figures.handOffCpuSeconds / frames,
                PeakKilobytes() / 1024.0);
    return 0;
}
