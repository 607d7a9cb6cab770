// The movie writer through the real AVI service: a recording of 32-bit hand-off
// bitmaps, read back by ffprobe and ffmpeg rather than by our own code.
#include "movie/AviFromBitmaps.h"
#include "platform/win/MMSystem.h"
#include "platform/win/VclBitmap.h"
#include "tests/support/MediaOracle.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 90;

// Bright at the top, dark at the bottom, with a block that moves right frame by
// frame: an upside-down or shuffled frame cannot pass for the right one.
media_oracle::BgraFrame PatternFrame(int index)
{
    media_oracle::BgraFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.pixels.resize(static_cast<std::size_t>(kWidth) * kHeight * 4);
    const int blockLeft = (index * 3) % (kWidth - 48);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t *pixel = &frame.pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
            const auto shade = static_cast<std::uint8_t>(230 - y * 200 / kHeight);
            const bool inBlock = x >= blockLeft && x < blockLeft + 48 && y >= 64 && y < 128;
            pixel[0] = inBlock ? 40 : shade;                               // blue
            pixel[1] = inBlock ? 60 : static_cast<std::uint8_t>(shade / 2); // green
            pixel[2] = inBlock ? 220 : static_cast<std::uint8_t>(x * 255 / kWidth);
            pixel[3] = 255;
        }
    }
    return frame;
}

media_oracle::BgraFrame UpsideDown(const media_oracle::BgraFrame &frame)
{
    media_oracle::BgraFrame flipped = frame;
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 4;
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(&flipped.pixels[y * rowBytes], &frame.pixels[(frame.height - 1 - y) * rowBytes], rowBytes);
    return flipped;
}

// As the window does it: a new 32-bit bitmap per frame, filled top row to top row, freed after the call.
qint32 HandOff(TAviFromBitmaps &writer, const media_oracle::BgraFrame &frame)
{
    Vcl::TBitmap bitmap;
    bitmap.SetWidth(frame.width);
    bitmap.SetHeight(frame.height);
    bitmap.SetPixelFormat(Vcl::pf32bit);
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 4;
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(bitmap.ScanLine(y), &frame.pixels[y * rowBytes], rowBytes);
    return writer.AppendNewFrame(bitmap.Handle());
}

TEST(AviFromBitmapsService, RecordingOfBitmapsReadsBackFrameForFrame)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("IMG_1.avi"));

    std::vector<media_oracle::BgraFrame> frames;
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(PatternFrame(i));
    {
        std::unique_ptr<TAviFromBitmaps> writer(
            TAviFromBitmaps::CreateAviFile(nullptr, path, mmioStringToFOURCCW(u"xvid", 0), 30, 1));
        for (const auto &frame : frames)
            ASSERT_EQ(HandOff(*writer, frame), S_OK) << writer->GetLastErrorMessage().toStdString();
        EXPECT_EQ(writer->GetLastErrorMessage(), QStringLiteral("Method Succeeded"));
    }

    const media_oracle::VideoFacts facts = media_oracle::ProbeVideo(path.toStdString());
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(facts.streamCount, 1);
    EXPECT_EQ(facts.codecName, "mpeg4");
    EXPECT_EQ(facts.codecTag, "xvid");
    EXPECT_EQ(facts.width, kWidth);
    EXPECT_EQ(facts.height, kHeight);
    EXPECT_EQ(facts.frameRate, "30/1");
    EXPECT_EQ(facts.title, "Video Stream");
    EXPECT_EQ(facts.headerFrames, kFrames);
    EXPECT_EQ(facts.countedFrames, kFrames);
    EXPECT_EQ(media_oracle::CountDecodeErrors(path.toStdString()), 0);

    const std::vector<media_oracle::BgraFrame> decoded = media_oracle::DecodeBgraFrames(path.toStdString());
    ASSERT_EQ(decoded.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double psnr = media_oracle::PsnrBgra(decoded[i], frames[i]);
        EXPECT_GT(psnr, 28.0) << "frame " << i;
        EXPECT_GT(psnr, media_oracle::PsnrBgra(decoded[i], UpsideDown(frames[i])) + 6.0) << "frame " << i << " upside down";
        EXPECT_GT(psnr, media_oracle::PsnrBgra(decoded[i], frames[(i + 20) % frames.size()]) + 3.0)
            << "frame " << i << " out of order";
    }
}

} // namespace
