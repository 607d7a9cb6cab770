// Movies written through the eight AVIFile functions, judged by ffprobe and
// ffmpeg: stream facts, clean decoding, fidelity to the source and row order.
#include "tests/avi/AviTestKit.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace avi_test;
using media_oracle::BgraFrame;

namespace {

constexpr int kFrames = 12;

struct OracleCase {
    const char *name;
    MovieSpec spec;
    const char *codecName;
    std::set<std::string> codecTags;
};

std::ostream &operator<<(std::ostream &out, const OracleCase &c) { return out << c.name; }

const OracleCase kOracleCases[] = {
    {"Xvid32", {mmioFOURCC('x', 'v', 'i', 'd'), 320, 240, 32}, "mpeg4", {"xvid", "XVID"}},
    {"Xvid24PaddedRows", {mmioFOURCC('x', 'v', 'i', 'd'), 322, 240, 24}, "mpeg4", {"xvid", "XVID"}},
    {"Uncompressed32", {0, 320, 240, 32}, "rawvideo", {"[0][0][0][0]"}},
    {"UncompressedDib24", {mmioFOURCC('D', 'I', 'B', ' '), 320, 240, 24}, "rawvideo", {"[0][0][0][0]"}},
};

class AviOracleTest : public ::testing::TestWithParam<OracleCase> {
protected:
    void SetUp() override
    {
        path = folder.File("movie.avi");
        ASSERT_TRUE(WritePatternMovie(path, GetParam().spec, kFrames));
    }

    TempFolder folder;
    std::string path;
};

TEST_P(AviOracleTest, ReportsOneVideoStreamWithTheWrittenFacts)
{
    const MovieSpec &spec = GetParam().spec;
    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path);
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(facts.streamCount, 1);
    EXPECT_EQ(facts.codecName, GetParam().codecName);
    EXPECT_TRUE(GetParam().codecTags.contains(facts.codecTag)) << facts.codecTag;
    EXPECT_EQ(facts.width, spec.width);
    EXPECT_EQ(facts.height, spec.height);
    EXPECT_EQ(facts.frameRate, "30/1");
    EXPECT_EQ(facts.headerFrames, kFrames);
    EXPECT_EQ(facts.countedFrames, kFrames);
    EXPECT_EQ(facts.title, "Video Stream");
}

TEST_P(AviOracleTest, DecodesEveryFrameWithoutError)
{
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
    EXPECT_EQ(media_oracle::DecodeBgraFrames(path).size(), std::size_t(kFrames));
}

TEST_P(AviOracleTest, MatchesTheSourceFrames)
{
    const MovieSpec &spec = GetParam().spec;
    const std::vector<BgraFrame> decoded = media_oracle::DecodeBgraFrames(path);
    ASSERT_EQ(decoded.size(), std::size_t(kFrames));
    for (int i = 0; i < kFrames; ++i)
        EXPECT_GE(media_oracle::PsnrBgra(decoded[i], TestPattern(spec.width, spec.height, i)), 40.0) << "frame " << i;
}

TEST_P(AviOracleTest, KeepsTheRowsUpright)
{
    const std::vector<BgraFrame> decoded = media_oracle::DecodeBgraFrames(path);
    ASSERT_FALSE(decoded.empty());
    const BgraFrame &frame = decoded.front();
    auto isRed = [&](int y) {
        const std::uint8_t *pixel = &frame.pixels[(std::size_t(y) * frame.width + frame.width / 2) * 4];
        return pixel[2] > 200 && pixel[1] < 60 && pixel[0] < 60;
    };
    EXPECT_TRUE(isRed(2));
    EXPECT_FALSE(isRed(frame.height - 3));
}

INSTANTIATE_TEST_SUITE_P(Streams, AviOracleTest, ::testing::ValuesIn(kOracleCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Every MPEG-4 ASP code reaches the xvid compressor, whatever its case, and is stored as given.
class AviCodecCodeTest : public ::testing::TestWithParam<const char *> {};

TEST_P(AviCodecCodeTest, StoresMpeg4UnderTheGivenCode)
{
    const char *code = GetParam();
    TempFolder folder;
    const std::string path = folder.File("code.avi");
    MovieSpec spec;
    spec.codec = mmioFOURCC(code[0], code[1], code[2], code[3]);
    ASSERT_TRUE(WritePatternMovie(path, spec, 3));
    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path);
    EXPECT_EQ(facts.codecName, "mpeg4");
    EXPECT_EQ(facts.codecTag, code);
    EXPECT_EQ(facts.countedFrames, 3);
}

INSTANTIATE_TEST_SUITE_P(Codes, AviCodecCodeTest, ::testing::Values("xvid", "XVID", "XviD", "DIVX", "DX50", "fmp4"),
                         [](const auto &info) { return std::string(info.param); });

// Which packets ffprobe sees as key frames, in order.
std::string KeyFramePattern(const std::string &path)
{
    const media_oracle::CommandResult run = media_oracle::RunCommand(
        {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "packet=flags", "-of", "csv=p=0", path});
    std::istringstream lines(run.out);
    std::string marks;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            marks += line[0] == 'K' ? 'K' : '_';
    }
    return marks;
}

TEST(AviKeyFrames, EveryFrameIsAKeyFrameWhenAskedForOne)
{
    TempFolder folder;
    const std::string path = folder.File("keys.avi");
    ASSERT_TRUE(WritePatternMovie(path, MovieSpec{}, 6));
    EXPECT_EQ(KeyFramePattern(path), "KKKKKK");
}

TEST(AviKeyFrames, KeyFramesComeAtTheAskedInterval)
{
    TempFolder folder;
    const std::string path = folder.File("keys.avi");
    MovieSpec spec;
    spec.keyFrameEvery = 4;
    ASSERT_TRUE(WritePatternMovie(path, spec, 9));
    EXPECT_EQ(KeyFramePattern(path), "K___K___K");
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
}

// More frames than the first index chunks hold: the index continues in further chunks.
TEST(AviIndexChunks, ThousandsOfFramesAreAllIndexed)
{
    TempFolder folder;
    const std::string path = folder.File("many.avi");
    MovieSpec spec;
    spec.codec = 0;
    spec.width = 32;
    spec.height = 16;
    constexpr int kMany = 3500; // past the first two chunks of 1024 and 2048 frames
    ASSERT_TRUE(WritePatternMovie(path, spec, kMany));
    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path);
    EXPECT_EQ(facts.headerFrames, kMany);
    EXPECT_EQ(facts.countedFrames, kMany);
    const std::vector<BgraFrame> decoded = media_oracle::DecodeBgraFrames(path);
    ASSERT_EQ(decoded.size(), std::size_t(kMany));
    for (int i : {0, 1023, 1024, 3071, 3072, kMany - 1})
        EXPECT_GE(media_oracle::PsnrBgra(decoded[i], TestPattern(spec.width, spec.height, i)), 99.0) << "frame " << i;
    // Seeking goes through the index: frame 3300 sits in the third index chunk, at 110 s.
    EXPECT_GE(media_oracle::PsnrBgra(media_oracle::DecodeBgraFrameAt(path, 110.0), TestPattern(32, 16, 3300)), 99.0);
}

TEST(AviLifetime, FileIsCompletedWhenTheLastHandleGoesWhateverTheOrder)
{
    TempFolder folder;
    const std::string path = folder.File("order.avi");
    MovieSession session(path, MovieSpec{});
    ASSERT_EQ(session.SetupResult(), S_OK);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(session.WriteFrame(ToBottomUpDib(TestPattern(320, 240, i), 32)), S_OK);
    EXPECT_EQ(AVIFileRelease(session.file), 0u);
    session.file = nullptr;
    EXPECT_EQ(session.WriteFrame(ToBottomUpDib(TestPattern(320, 240, 3), 32)), S_OK);
    EXPECT_EQ(AVIStreamRelease(session.stream), 0u);
    session.stream = nullptr;
    EXPECT_EQ(AVIStreamRelease(session.compressed), 0u);
    session.compressed = nullptr;
    EXPECT_EQ(media_oracle::ProbeVideo(path).countedFrames, 4);
    EXPECT_EQ(media_oracle::CountDecodeErrors(path), 0);
}

TEST(AviLifetime, ReleasedHandlesAreRefused)
{
    TempFolder folder;
    MovieSession session(folder.File("gone.avi"), MovieSpec{});
    ASSERT_EQ(session.SetupResult(), S_OK);
    PAVIStream compressed = session.compressed;
    session.Close();
    const std::vector<std::uint8_t> bits = ToBottomUpDib(TestPattern(320, 240, 0), 32);
    EXPECT_LT(AVIStreamWrite(compressed, 0, 1, const_cast<std::uint8_t *>(bits.data()), LONG(bits.size()), 0, nullptr,
                             nullptr),
              0);
    EXPECT_EQ(AVIStreamRelease(compressed), 0u);
}

TEST(AviFileNames, TakesUtf16NamesBeyondAscii)
{
    TempFolder folder;
    const std::u16string name = Utf16(folder.Path().string()) + u"/Fot\u00f3_\u65e5\u672c_\U0001F3A5.avi";
    PAVIFile file = nullptr;
    ASSERT_EQ(AVIFileOpenW(&file, name.c_str(), AVI_OPEN_MODE_CREATE, nullptr), S_OK);
    AVIFileRelease(file);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / u8"Fot\u00f3_\u65e5\u672c_\U0001F3A5.avi"));
}

} // namespace
