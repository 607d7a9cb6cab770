// Feeds the writer's raw-bits form and the AVI service arbitrary frame sizes,
// bit depths, codecs and sample lengths. Nothing may crash or reach outside a
// buffer, and every refusal must be a negative result.
#include "movie/AviFromBitmaps.h"
#include "movie/VFW.h"
#include "platform/win/WinGdi.h"
#include "tests/fuzz/FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// Frames larger than this are offered without pixels: the writer must refuse them unread.
constexpr std::int64_t kLargestBuffer = 1 << 20;

const DWORD kCodecs[] = {mmioFOURCC('x', 'v', 'i', 'd'), mmioFOURCC('D', 'I', 'B', ' '), 0,
                         mmioFOURCC('h', '2', '6', '4'), mmioFOURCC('X', 'V', 'I', 'D')};

QString MovieName()
{
    return QDir::tempPath() + QStringLiteral("/frametide-fuzz-%1.avi").arg(::getpid());
}

qint32 SmallDimension(FuzzInput &in)
{
    // Mostly small pictures so runs stay fast, sometimes anything at all.
    return in.Pick(8) == 0 ? in.Take<qint32>() : static_cast<qint32>(in.Pick(64)) - 4;
}

void AppendRawFrames(FuzzInput &in)
{
    const DWORD codec = kCodecs[in.Pick(std::size(kCodecs))];
    const QString name = MovieName();
    {
        std::unique_ptr<TAviFromBitmaps> movie(TAviFromBitmaps::CreateAviFile(nullptr, name, codec, 30, 1));
        for (int frame = 0; frame < 4 && !in.Empty(); ++frame) {
            const qint32 width = SmallDimension(in);
            const qint32 height = SmallDimension(in);
            const qint32 depth = in.Pick(4) == 0 ? static_cast<qint32>(in.Take<std::int8_t>()) : 24 + 8 * in.Pick(2);
            // Rows padded to 4 bytes, as the raw-bits form takes them.
            const std::int64_t bytes = DibRowBytes(width, depth) * height;
            std::vector<std::uint8_t> pixels(bytes > 0 && bytes <= kLargestBuffer ? static_cast<size_t>(bytes) : 0,
                                             0x5a);
            const qint32 result = movie->AppendNewFrame(width, height, pixels.empty() ? nullptr : pixels.data(), depth);
            if (result != S_OK && result >= 0)
                std::abort(); // a refusal must be negative
        }
    }
    QFile::remove(name);
}

void WriteSamplesDirectly(FuzzInput &in)
{
    AVIFileInit();
    const QString name = MovieName();
    PAVIFile file = nullptr;
    if (FAILED(AVIFileOpenW(&file, reinterpret_cast<LPCWSTR>(name.utf16()), AVI_OPEN_MODE_CREATE, nullptr)))
        return;
    TAVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = kCodecs[in.Pick(std::size(kCodecs))];
    info.dwScale = in.Pick(3);
    info.dwRate = in.Pick(61);
    const LONG width = static_cast<LONG>(in.Pick(48)) - 2;
    const LONG height = static_cast<LONG>(in.Pick(48)) - 2;
    info.rcFrame = {0, 0, width, height};
    PAVIStream stream = nullptr, compressed = nullptr;
    if (SUCCEEDED(AVIFileCreateStream(file, &stream, &info))) {
        TAVICOMPRESSOPTIONS options{};
        options.fccType = streamtypeVIDEO;
        options.fccHandler = info.fccHandler;
        options.dwKeyFrameEvery = in.Pick(4);
        options.dwQuality = in.Take<DWORD>();
        options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
        if (SUCCEEDED(AVIMakeCompressedStream(&compressed, stream, &options, nullptr))) {
            BITMAPINFOHEADER format{};
            format.biSize = in.Pick(2) ? 40 : in.Take<DWORD>();
            format.biWidth = width;
            format.biHeight = in.Pick(2) ? height : -height;
            format.biPlanes = 1;
            format.biBitCount = static_cast<WORD>(in.Pick(3) ? 24 + 8 * in.Pick(2) : in.Take<WORD>());
            format.biCompression = in.Pick(4) ? BI_RGB : in.Take<DWORD>();
            if (SUCCEEDED(AVIStreamSetFormat(compressed, 0, &format, sizeof format))) {
                for (LONG sample = 0; sample < 3 && !in.Empty(); ++sample) {
                    const LONG length = static_cast<LONG>(in.Pick(width > 0 && height > 0 ? width * height * 4 + 8 : 64));
                    std::vector<std::uint8_t> data(static_cast<size_t>(length) + 1, 0x33);
                    const HRESULT hr = AVIStreamWrite(compressed, sample, 1, data.data(), length, 0, nullptr, nullptr);
                    (void)hr;
                }
            }
            AVIStreamRelease(compressed);
        }
        AVIStreamRelease(stream);
    }
    AVIFileRelease(file);
    QFile::remove(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput in(data, size);
    if (in.Pick(2) == 0)
        AppendRawFrames(in);
    else
        WriteSamplesDirectly(in);
    return 0;
}
