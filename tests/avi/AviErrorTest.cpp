// The AVI service's failure paths: every refusal is a negative result, leaves
// nothing behind that should not be there, and keeps what was written readable.
#include "tests/avi/AviTestKit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace avi_test;

namespace {

std::vector<std::uint8_t> Frame(const MovieSpec &spec, int index)
{
    return ToBottomUpDib(TestPattern(spec.width, spec.height, index), spec.bitsPerPixel);
}

class AviUnknownCodecTest : public ::testing::TestWithParam<const char *> {};

TEST_P(AviUnknownCodecTest, HasNoCompressor)
{
    TempFolder folder;
    const char *code = GetParam();
    MovieSpec spec;
    spec.codec = mmioFOURCC(code[0], code[1], code[2], code[3]);
    const std::string path = folder.File("unknown.avi");
    MovieSession session(path, spec);
    EXPECT_LT(session.SetupResult(), 0);
    EXPECT_NE(session.stream, nullptr);
    EXPECT_EQ(session.compressed, nullptr);
    session.Close();
    EXPECT_TRUE(media_oracle::ProbeVideo(path, false).ok) << "the file left behind is an AVI without frames";
}

INSTANTIATE_TEST_SUITE_P(Codes, AviUnknownCodecTest, ::testing::Values("H264", "MJPG", "xvi_", "abcd"),
                         [](const auto &info) { return std::string(info.param); });

class AviOpenModeTest : public ::testing::TestWithParam<UINT> {};

TEST_P(AviOpenModeTest, OnlyCreateForWritingIsAccepted)
{
    TempFolder folder;
    const std::string path = folder.File("mode.avi");
    PAVIFile file = reinterpret_cast<PAVIFile>(&folder); // must be cleared
    EXPECT_LT(AVIFileOpenW(&file, Utf16(path).c_str(), GetParam(), nullptr), 0);
    EXPECT_EQ(file, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Modes, AviOpenModeTest,
                         ::testing::Values(0u /*read*/, OF_WRITE, OF_CREATE, 2u | OF_CREATE /*read-write*/,
                                           AVI_OPEN_MODE_CREATE | 0x10u /*exclusive*/));

struct UnusablePath {
    const char *name;
    std::string (*make)(const TempFolder &);
};

std::ostream &operator<<(std::ostream &out, const UnusablePath &p) { return out << p.name; }

const UnusablePath kUnusablePaths[] = {
    {"MissingFolder", [](const TempFolder &f) { return f.File("missing/movie.avi"); }},
    {"FolderItself", [](const TempFolder &f) { return f.Path().string(); }},
    {"BelowAPlainFile",
     [](const TempFolder &f) {
         std::ofstream(f.File("plain.txt")) << "x";
         return f.File("plain.txt/movie.avi");
     }},
    {"EmptyName", [](const TempFolder &) { return std::string(); }},
    {"ReadOnlyFolder",
     [](const TempFolder &f) {
         std::filesystem::create_directory(f.Path() / "locked");
         std::filesystem::permissions(f.Path() / "locked", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_exec);
         return f.File("locked/movie.avi");
     }},
};

class AviUnusablePathTest : public ::testing::TestWithParam<UnusablePath> {};

TEST_P(AviUnusablePathTest, FailsAndCreatesNothing)
{
    if (std::string(GetParam().name) == "ReadOnlyFolder" && ::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    TempFolder folder;
    const std::string path = GetParam().make(folder);
    const auto before = std::distance(std::filesystem::recursive_directory_iterator(folder.Path()), {});
    PAVIFile file = nullptr;
    EXPECT_LT(AVIFileOpenW(&file, Utf16(path).c_str(), AVI_OPEN_MODE_CREATE, nullptr), 0);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(folder.Path()), {}), before);
}

INSTANTIATE_TEST_SUITE_P(Paths, AviUnusablePathTest, ::testing::ValuesIn(kUnusablePaths),
                         [](const auto &info) { return std::string(info.param.name); });

struct FormatCase {
    const char *name;
    void (*spoil)(BITMAPINFOHEADER &);
};

std::ostream &operator<<(std::ostream &out, const FormatCase &c) { return out << c.name; }

const FormatCase kRefusedFormats[] = {
    {"SixteenBits", [](BITMAPINFOHEADER &h) { h.biBitCount = 16; }},
    {"BitFields", [](BITMAPINFOHEADER &h) { h.biCompression = 3; }},
    {"ZeroWidth", [](BITMAPINFOHEADER &h) { h.biWidth = 0; }},
    {"ZeroHeight", [](BITMAPINFOHEADER &h) { h.biHeight = 0; }},
    {"Enormous", [](BITMAPINFOHEADER &h) { h.biWidth = 100000, h.biHeight = 100000; }},
};

class AviRefusedFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AviRefusedFormatTest, IsRefusedAndFramesAreThen)
{
    TempFolder folder;
    MovieSession session(folder.File("format.avi"), MovieSpec{});
    ASSERT_EQ(session.SetupResult(), S_OK); // a first, good format is fixed
    BITMAPINFOHEADER spoilt = session.format;
    GetParam().spoil(spoilt);

    PAVIStream compressed = nullptr;
    ASSERT_EQ(AVIMakeCompressedStream(&compressed, session.stream, &session.options, nullptr), S_OK);
    EXPECT_LT(AVIStreamSetFormat(compressed, 0, &spoilt, sizeof spoilt), 0);
    const std::vector<std::uint8_t> bits = Frame(MovieSpec{}, 0);
    EXPECT_LT(AVIStreamWrite(compressed, 0, 1, const_cast<std::uint8_t *>(bits.data()), LONG(bits.size()), 0,
                             nullptr, nullptr),
              0);
    AVIStreamRelease(compressed);
}

INSTANTIATE_TEST_SUITE_P(Formats, AviRefusedFormatTest, ::testing::ValuesIn(kRefusedFormats),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AviFormats, SidesLongerThanMpeg4CanCodeAreRefused)
{
    TempFolder folder;
    for (const auto &[width, height] : {std::pair{8192, 16}, std::pair{16, 8192}}) {
        MovieSpec spec;
        spec.width = width;
        spec.height = height;
        MovieSession session(folder.File("huge.avi"), spec);
        EXPECT_LT(session.SetupResult(), 0) << width << "x" << height;
    }
}

TEST(AviStreams, OnlyVideoStreamsAreTaken)
{
    TempFolder folder;
    PAVIFile file = nullptr;
    ASSERT_EQ(AVIFileOpenW(&file, Utf16(folder.File("audio.avi")).c_str(), AVI_OPEN_MODE_CREATE, nullptr), S_OK);
    TAVISTREAMINFOA audio{};
    audio.fccType = mmioFOURCC('a', 'u', 'd', 's');
    audio.dwScale = 1;
    audio.dwRate = 44100;
    PAVIStream stream = nullptr;
    EXPECT_LT(AVIFileCreateStream(file, &stream, &audio), 0);
    EXPECT_EQ(stream, nullptr);
    AVIFileRelease(file);
}

TEST(AviStreams, OneVideoStreamPerFile)
{
    TempFolder folder;
    MovieSession session(folder.File("two.avi"), MovieSpec{});
    ASSERT_EQ(session.SetupResult(), S_OK);
    PAVIStream second = nullptr;
    EXPECT_LT(AVIFileCreateStream(session.file, &second, &session.streamInfo), 0);
    EXPECT_EQ(second, nullptr);
}

struct SizeCase {
    const char *name;
    LONG (*bytes)(LONG expected);
};

std::ostream &operator<<(std::ostream &out, const SizeCase &c) { return out << c.name; }

const SizeCase kMismatchedSizes[] = {
    {"OneShort", [](LONG n) { return n - 1; }},
    {"OneOver", [](LONG n) { return n + 1; }},
    {"Half", [](LONG n) { return n / 2; }},
    {"Empty", [](LONG) { return LONG(0); }},
    {"Negative", [](LONG) { return LONG(-1); }},
};

class AviMismatchedSampleTest : public ::testing::TestWithParam<std::tuple<FOURCC, SizeCase>> {};

TEST_P(AviMismatchedSampleTest, IsRefusedWritesNothingAndLaterFramesGoOn)
{
    TempFolder folder;
    const std::string path = folder.File("size.avi");
    MovieSpec spec;
    spec.codec = std::get<0>(GetParam());
    {
        MovieSession session(path, spec);
        ASSERT_EQ(session.SetupResult(), S_OK);
        ASSERT_EQ(session.WriteFrame(Frame(spec, 0)), S_OK);
        std::vector<std::uint8_t> bits = Frame(spec, 1);
        const LONG bytes = std::get<1>(GetParam()).bytes(LONG(bits.size()));
        bits.resize(bits.size() + 1);
        const auto sizeBefore = std::filesystem::file_size(path);
        EXPECT_LT(session.WriteBytes(bits.data(), bytes), 0);
        EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);
        ASSERT_EQ(session.WriteFrame(Frame(spec, 2)), S_OK);
    }
    EXPECT_EQ(media_oracle::ProbeVideo(path).countedFrames, 2);
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AviMismatchedSampleTest,
                         ::testing::Combine(::testing::Values(mmioFOURCC('x', 'v', 'i', 'd'), FOURCC(0)),
                                            ::testing::ValuesIn(kMismatchedSizes)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param) ? "Xvid" : "Uncompressed") +
                                    std::get<1>(info.param).name;
                         });

// Lowers the file size limit for this process and sets how SIGXFSZ is handled
// (ignored by the test, or left at the default for the service to deal with);
// restores both at destruction.
class FileSizeLimit {
public:
    FileSizeLimit(rlim_t bytes, void (*signalHandler)(int))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, signalHandler);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

struct LimitCase {
    const char *name;
    FOURCC codec;
    rlim_t limit;
    void (*signalHandler)(int); // SIG_DFL: the service must keep SIGXFSZ from ending the program
};

std::ostream &operator<<(std::ostream &out, const LimitCase &c) { return out << c.name; }

class AviFileSizeLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(AviFileSizeLimitTest, FailsMidStreamAndKeepsEveryEarlierFrame)
{
    TempFolder folder;
    const std::string path = folder.File("limit.avi");
    MovieSpec spec;
    spec.codec = GetParam().codec;
    int written = 0;
    HRESULT failure = S_OK;
    {
        FileSizeLimit limit(GetParam().limit, GetParam().signalHandler);
        MovieSession session(path, spec);
        ASSERT_EQ(session.SetupResult(), S_OK);
        for (int i = 0; i < 200 && SUCCEEDED(failure); ++i) {
            failure = session.WriteFrame(Frame(spec, i));
            written += SUCCEEDED(failure);
        }
        EXPECT_LT(session.WriteFrame(Frame(spec, written)), 0) << "a later frame fails too";
        session.Close();
    }
    ASSERT_LT(failure, 0) << "the limit was never reached";
    ASSERT_GT(written, 0);
    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path);
    EXPECT_EQ(facts.headerFrames, written);
    EXPECT_EQ(facts.countedFrames, written);
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
}

INSTANTIATE_TEST_SUITE_P(Limits, AviFileSizeLimitTest,
                         ::testing::Values(LimitCase{"Uncompressed", 0, 1000000, SIG_IGN},
                                           LimitCase{"Xvid", mmioFOURCC('x', 'v', 'i', 'd'), 120000, SIG_IGN},
                                           LimitCase{"SignalLeftToTheService", 0, 1000000, SIG_DFL}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
