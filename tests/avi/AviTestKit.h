// AviTestKit: what the AVI service tests share: a temporary folder, a test
// pattern, and a movie session that drives the eight AVIFile functions with
// the records the movie writer fills.
#pragma once

#include "movie/VFW.h"
#include "tests/support/MediaOracle.h"

#include <filesystem>
#include <string>
#include <vector>

namespace avi_test {

// A fresh folder removed with everything in it at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::filesystem::path &Path() const { return m_path; }
    std::string File(const std::string &name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

struct MovieSpec {
    FOURCC codec = mmioFOURCC('x', 'v', 'i', 'd');
    int width = 320;
    int height = 240;
    int bitsPerPixel = 32;
    DWORD keyFrameEvery = 1;
    DWORD quality = 0;
};

// Frame number `index` of a pattern whose top quarter is pure red, the rest
// smooth gradients whose blue level differs from frame to frame. Rows top-down.
media_oracle::BgraFrame TestPattern(int width, int height, int index);

// The frame as a BI_RGB bitmap of the given depth: rows bottom-up, padded to 4 bytes.
std::vector<std::uint8_t> ToBottomUpDib(const media_oracle::BgraFrame &frame, int bitsPerPixel);

std::u16string Utf16(const std::string &text);

// Opens, creates the stream, makes the compressed stream and sets the format as
// the movie writer does; the handles are released (compressed stream, stream,
// file) at destruction or Close(). Each step's result is kept.
class MovieSession {
public:
    MovieSession(const std::string &path, const MovieSpec &spec, UINT mode = AVI_OPEN_MODE_CREATE);
    ~MovieSession();
    MovieSession(const MovieSession &) = delete;
    MovieSession &operator=(const MovieSession &) = delete;

    // The first failing step's result, or S_OK when the session is ready for frames.
    HRESULT SetupResult() const { return m_setupResult; }
    HRESULT WriteFrame(const std::vector<std::uint8_t> &bits);
    HRESULT WriteBytes(const void *data, LONG bytes);
    void Close();

    PAVIFile file = nullptr;
    PAVIStream stream = nullptr;
    PAVIStream compressed = nullptr;
    TAVISTREAMINFOA streamInfo{};
    TAVICOMPRESSOPTIONS options{};
    BITMAPINFOHEADER format{};

private:
    HRESULT Setup(const std::string &path, const MovieSpec &spec, UINT mode);
    HRESULT m_setupResult = E_FAIL;
    LONG m_nextSample = 0;
};

// Writes `frames` test pattern frames; true if every step succeeded.
bool WritePatternMovie(const std::string &path, const MovieSpec &spec, int frames);

} // namespace avi_test
