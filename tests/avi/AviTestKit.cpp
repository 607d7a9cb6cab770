// AviTestKit: helpers of the AVI service tests.
#include "tests/avi/AviTestKit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace avi_test {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ft_avi_XXXXXX").string();
    if (char *made = ::mkdtemp(pattern.data()))
        m_path = made;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

media_oracle::BgraFrame TestPattern(int width, int height, int index)
{
    media_oracle::BgraFrame frame{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    const int redRows = height / 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t *pixel = &frame.pixels[(std::size_t(y) * width + x) * 4];
            if (y < redRows) {
                pixel[0] = 0, pixel[1] = 0, pixel[2] = 255;
            } else {
                pixel[0] = std::uint8_t((index * 23) % 128 + x * 127 / width); // a level of its own per frame
                pixel[1] = std::uint8_t(y * 255 / height);
                pixel[2] = std::uint8_t(96 + 128 * (x + y + index) / (width + height + index));
            }
            pixel[3] = 255;
        }
    }
    return frame;
}

std::vector<std::uint8_t> ToBottomUpDib(const media_oracle::BgraFrame &frame, int bitsPerPixel)
{
    const int bytesPerPixel = bitsPerPixel / 8;
    const std::size_t stride = (std::size_t(frame.width) * bitsPerPixel + 31) / 32 * 4;
    std::vector<std::uint8_t> bits(stride * frame.height, 0);
    for (int y = 0; y < frame.height; ++y) {
        std::uint8_t *row = &bits[stride * (frame.height - 1 - y)];
        for (int x = 0; x < frame.width; ++x)
            std::memcpy(row + std::size_t(x) * bytesPerPixel, &frame.pixels[(std::size_t(y) * frame.width + x) * 4],
                        bytesPerPixel);
    }
    return bits;
}

std::u16string Utf16(const std::string &text)
{
    // Test paths are ASCII apart from deliberate cases, which pass UTF-16 directly.
    return std::u16string(text.begin(), text.end());
}

MovieSession::MovieSession(const std::string &path, const MovieSpec &spec, UINT mode)
{
    AVIFileInit();
    m_setupResult = Setup(path, spec, mode);
}

MovieSession::~MovieSession()
{
    Close();
}

// The steps and records of the movie writer's first-frame setup.
HRESULT MovieSession::Setup(const std::string &path, const MovieSpec &spec, UINT mode)
{
    const std::u16string name = Utf16(path);
    HRESULT result = AVIFileOpenW(&file, name.c_str(), mode, nullptr);
    if (FAILED(result))
        return result;
    streamInfo.fccType = streamtypeVIDEO;
    streamInfo.fccHandler = spec.codec;
    streamInfo.dwScale = 1;
    streamInfo.dwRate = 30;
    streamInfo.dwQuality = DWORD(ICQUALITY_DEFAULT);
    streamInfo.dwSuggestedBufferSize = DWORD(spec.width * spec.height * (spec.bitsPerPixel / 8));
    streamInfo.rcFrame = {0, 0, spec.width, spec.height};
    std::strcpy(streamInfo.szName, "Video Stream");
    result = AVIFileCreateStream(file, &stream, &streamInfo);
    if (FAILED(result))
        return result;
    options.fccType = streamtypeVIDEO;
    options.fccHandler = streamInfo.fccHandler;
    options.dwKeyFrameEvery = spec.keyFrameEvery;
    options.dwQuality = spec.quality;
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    result = AVIMakeCompressedStream(&compressed, stream, &options, nullptr);
    if (FAILED(result))
        return result;
    format.biSize = sizeof format;
    format.biWidth = spec.width;
    format.biHeight = spec.height;
    format.biPlanes = 1;
    format.biBitCount = WORD(spec.bitsPerPixel);
    format.biCompression = BI_RGB;
    format.biSizeImage = DWORD(format.biWidth * format.biHeight * (format.biBitCount / 8));
    return AVIStreamSetFormat(compressed, 0, &format, sizeof format);
}

HRESULT MovieSession::WriteFrame(const std::vector<std::uint8_t> &bits)
{
    return WriteBytes(bits.data(), LONG(bits.size()));
}

HRESULT MovieSession::WriteBytes(const void *data, LONG bytes)
{
    const HRESULT result =
        AVIStreamWrite(compressed, m_nextSample, 1, const_cast<void *>(data), bytes, 0, nullptr, nullptr);
    if (SUCCEEDED(result))
        ++m_nextSample;
    return result;
}

void MovieSession::Close()
{
    if (compressed)
        AVIStreamRelease(compressed);
    if (stream)
        AVIStreamRelease(stream);
    if (file)
        AVIFileRelease(file);
    compressed = nullptr;
    stream = nullptr;
    file = nullptr;
}

bool WritePatternMovie(const std::string &path, const MovieSpec &spec, int frames)
{
    MovieSession session(path, spec);
    if (FAILED(session.SetupResult()))
        return false;
    for (int i = 0; i < frames; ++i) {
        if (FAILED(session.WriteFrame(ToBottomUpDib(TestPattern(spec.width, spec.height, i), spec.bitsPerPixel))))
            return false;
    }
    return true;
}

} // namespace avi_test
