// AviBench: compresses the same raw BGRA frames, read from one file, through
// our AVI service and through the ffmpeg command line (-c:v libxvid and
// -c:v mpeg4), every frame a key frame at quantizer 4, and prints frames per
// second, bytes per frame and PSNR side by side, with one thread and with two;
// then the resident memory over an hour-long recording.
#include "movie/VFW.h"
#include "platform/avi/EncoderThreads.h"
#include "platform/avi/XvidCompressor.h"
#include "tests/support/MediaOracle.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using media_oracle::RunCommand;
using Clock = std::chrono::steady_clock;

constexpr int kQuantizer = 4;
constexpr DWORD kQualityForQuantizer4 = 9000;
constexpr int kRepeats = 3; // best of: the machine is shared

struct Size {
    int width;
    int height;
};

struct Result {
    double fps = 0;
    double bytesPerFrame = 0;
    double psnr = 0;
};

std::string SizeText(Size size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Our side: the writer's calls, frames read from the file as they are written.
// The file holds top-down rows, so the format says so with a negative height.
bool EncodeOurs(const std::string &source, Size size, int frames, const std::string &output)
{
    AVIFileInit();
    PAVIFile file = nullptr;
    PAVIStream stream = nullptr;
    PAVIStream compressed = nullptr;
    std::u16string name(output.begin(), output.end());
    bool ok = SUCCEEDED(AVIFileOpenW(&file, name.c_str(), AVI_OPEN_MODE_CREATE, nullptr));
    TAVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = mmioFOURCC('x', 'v', 'i', 'd');
    info.dwScale = 1;
    info.dwRate = 30;
    info.dwQuality = DWORD(ICQUALITY_DEFAULT);
    info.dwSuggestedBufferSize = DWORD(size.width * size.height * 4);
    info.rcFrame = {0, 0, size.width, size.height};
    std::strcpy(info.szName, "Video Stream");
    ok = ok && SUCCEEDED(AVIFileCreateStream(file, &stream, &info));
    TAVICOMPRESSOPTIONS options{};
    options.fccType = streamtypeVIDEO;
    options.fccHandler = info.fccHandler;
    options.dwKeyFrameEvery = 1;
    options.dwQuality = kQualityForQuantizer4;
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    ok = ok && SUCCEEDED(AVIMakeCompressedStream(&compressed, stream, &options, nullptr));
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = size.width;
    format.biHeight = -size.height;
    format.biPlanes = 1;
    format.biBitCount = 32;
    format.biSizeImage = DWORD(size.width * size.height * 4);
    ok = ok && SUCCEEDED(AVIStreamSetFormat(compressed, 0, &format, sizeof format));
    std::ifstream in(source, std::ios::binary);
    std::vector<char> frame(format.biSizeImage);
    for (int i = 0; ok && i < frames; ++i) {
        ok = bool(in.read(frame.data(), std::streamsize(frame.size())));
        ok = ok && SUCCEEDED(AVIStreamWrite(compressed, i, 1, frame.data(), LONG(frame.size()), 0, nullptr, nullptr));
    }
    if (compressed)
        AVIStreamRelease(compressed);
    if (stream)
        AVIStreamRelease(stream);
    if (file)
        AVIFileRelease(file);
    return ok;
}

bool EncodeFfmpeg(const std::string &codec, int threads, const std::string &source, Size size,
                  const std::string &output)
{
    return RunCommand({"ffmpeg", "-y", "-v", "error", "-nostdin", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                       SizeText(size), "-r", "30", "-i", source, "-c:v", codec, "-threads", std::to_string(threads),
                       "-q:v", std::to_string(kQuantizer), "-g", "1", "-vtag", "xvid", output})
               .exitCode == 0;
}

// PSNR of the movie against the source, by ffmpeg's own filter, averaged over all frames.
double MeasurePsnr(const std::string &movie, const std::string &source, Size size)
{
    const auto run = RunCommand({"ffmpeg", "-v", "info", "-nostdin", "-i", movie, "-f", "rawvideo", "-pix_fmt",
                                 "bgra", "-s", SizeText(size), "-r", "30", "-i", source, "-lavfi",
                                 "[0:v]format=bgra[a];[1:v]format=bgra[b];[a][b]psnr", "-f", "null", "-"});
    const std::size_t at = run.err.find("average:");
    return at == std::string::npos ? 0.0 : std::atof(run.err.c_str() + at + 8);
}

template <typename Encode>
Result Measure(Encode encode, const std::string &source, Size size, int frames, const std::string &output)
{
    Result result;
    double best = 1e9;
    for (int i = 0; i < kRepeats; ++i) {
        const Clock::time_point start = Clock::now();
        if (!encode())
            return result;
        best = std::min(best, Seconds(start));
    }
    result.fps = frames / best;
    result.bytesPerFrame = double(std::filesystem::file_size(output)) / frames;
    result.psnr = MeasurePsnr(output, source, size);
    return result;
}

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

// An hour of 30 fps video at a small size: resident memory must not grow with the frame count.
void ReportLongRecordingMemory(const std::filesystem::path &work)
{
    constexpr int kWidth = 64, kHeight = 48, kFrames = 30 * 3600;
    const std::string output = (work / "hour.avi").string();
    const std::u16string name(output.begin(), output.end());
    PAVIFile file = nullptr;
    PAVIStream stream = nullptr;
    PAVIStream compressed = nullptr;
    TAVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = mmioFOURCC('x', 'v', 'i', 'd');
    info.dwScale = 1;
    info.dwRate = 30;
    info.rcFrame = {0, 0, kWidth, kHeight};
    TAVICOMPRESSOPTIONS options{};
    options.fccHandler = info.fccHandler;
    options.dwKeyFrameEvery = 1;
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = kWidth;
    format.biHeight = kHeight;
    format.biPlanes = 1;
    format.biBitCount = 32;
    format.biSizeImage = kWidth * kHeight * 4;
    if (FAILED(AVIFileOpenW(&file, name.c_str(), AVI_OPEN_MODE_CREATE, nullptr)) ||
        FAILED(AVIFileCreateStream(file, &stream, &info)) ||
        FAILED(AVIMakeCompressedStream(&compressed, stream, &options, nullptr)) ||
        FAILED(AVIStreamSetFormat(compressed, 0, &format, sizeof format)))
        return;
    std::vector<std::uint8_t> frame(format.biSizeImage);
    long early = 0;
    for (int i = 0; i < kFrames; ++i) {
        for (std::size_t p = 0; p < frame.size(); ++p)
            frame[p] = std::uint8_t(p * 7 + i);
        AVIStreamWrite(compressed, i, 1, frame.data(), LONG(frame.size()), 0, nullptr, nullptr);
        if (i == 1000)
            early = ResidentKiB();
    }
    const long late = ResidentKiB();
    AVIStreamRelease(compressed);
    AVIStreamRelease(stream);
    AVIFileRelease(file);
    std::printf("\nmemory over one hour of 30 fps video (%d frames, %dx%d): resident %ld KiB after 1000 frames, "
                "%ld KiB at the end\n",
                kFrames, kWidth, kHeight, early, late);
}

bool MakeSource(const std::string &path, Size size, int frames)
{
    // A busy moving picture with a little temporal noise, as a camera gives.
    return RunCommand({"ffmpeg", "-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i",
                       "testsrc2=size=" + SizeText(size) + ":rate=30,noise=alls=6:allf=t", "-frames:v",
                       std::to_string(frames), "-f", "rawvideo", "-pix_fmt", "bgra", path})
               .exitCode == 0;
}

void PrintRow(Size size, int threads, const char *encoder, const Result &result, const Result &ours)
{
    std::printf("%-10s %7d  %-16s %8.1f %12.0f %9.2f %10.2f\n", SizeText(size).c_str(), threads, encoder, result.fps,
                result.bytesPerFrame, result.psnr, result.fps > 0 ? ours.fps / result.fps : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    const std::filesystem::path work = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "ft_avi_bench";
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    std::filesystem::create_directories(work);
    const std::string source = (work / "source.bgra").string();
    const std::string oursOut = (work / "ours.avi").string();
    const std::string libxvidOut = (work / "libxvid.avi").string();
    const std::string mpeg4Out = (work / "mpeg4.avi").string();
    std::printf("%d frames a size, every frame a key frame, quantizer %d (ours: dwQuality %u -> quantizer %d)\n\n",
                frames, kQuantizer, unsigned(kQualityForQuantizer4),
                frametide::avi::XvidQuantizerFor(kQualityForQuantizer4));
    std::printf("%-10s %7s  %-16s %8s %12s %9s %10s\n", "size", "threads", "encoder", "fps", "bytes/frame", "PSNR dB",
                "ours/this");
    for (Size size : {Size{640, 480}, Size{1280, 720}, Size{1920, 1080}}) {
        if (!MakeSource(source, size, frames)) {
            std::fprintf(stderr, "cannot make the source frames\n");
            return 1;
        }
        for (int threads : {1, 2}) {
            frametide::avi::SetEncoderThreads(threads);
            const Result ours = Measure([&] { return EncodeOurs(source, size, frames, oursOut); }, source, size,
                                        frames, oursOut);
            const Result libxvid = Measure([&] { return EncodeFfmpeg("libxvid", threads, source, size, libxvidOut); },
                                           source, size, frames, libxvidOut);
            const Result mpeg4 = Measure([&] { return EncodeFfmpeg("mpeg4", threads, source, size, mpeg4Out); },
                                         source, size, frames, mpeg4Out);
            PrintRow(size, threads, "ours (AVIFile)", ours, ours);
            PrintRow(size, threads, "ffmpeg libxvid", libxvid, ours);
            PrintRow(size, threads, "ffmpeg mpeg4", mpeg4, ours);
        }
    }
    ReportLongRecordingMemory(work);
    std::filesystem::remove_all(work);
    return 0;
}
