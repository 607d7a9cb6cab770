// What the writer's unit tests share: stand-ins reset per test, frames in both
// forms, and the writer the system makes.
#pragma once

#include "PlatformStandIn.h"
#include "StandInLog.h"
#include "VfwStandIn.h"
#include "movie/AviFromBitmaps.h"
#include "platform/win/MMSystem.h"
#include "platform/win/VclBitmap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

enum class FrameForm { Bitmap, RawBits };

// One frame as a hand-off bitmap and as the raw bits that describe it (32 bits, bottom-up).
struct TestFrame {
    int width = 0;
    int height = 0;
    std::unique_ptr<Vcl::TBitmap> bitmap;
    std::vector<BYTE> bottomUp;

    static TestFrame Make(int width, int height, int seed)
    {
        TestFrame frame;
        frame.width = width;
        frame.height = height;
        frame.bitmap = std::make_unique<Vcl::TBitmap>();
        frame.bitmap->SetWidth(width);
        frame.bitmap->SetHeight(height);
        frame.bitmap->SetPixelFormat(Vcl::pf32bit);
        frame.bottomUp.resize(static_cast<std::size_t>(width) * height * 4);
        for (int y = 0; y < height; ++y) {
            BYTE *row = frame.bitmap->ScanLine(y);
            for (int i = 0; i < width * 4; ++i)
                row[i] = static_cast<BYTE>(seed * 31 + y * 7 + i);
            std::copy(row, row + width * 4, frame.bottomUp.begin() + (height - 1 - y) * width * 4);
        }
        return frame;
    }

    qint32 AppendTo(TAviFromBitmaps &writer, FrameForm form)
    {
        return form == FrameForm::Bitmap ? writer.AppendNewFrame(bitmap->Handle())
                                         : writer.AppendNewFrame(width, height, bottomUp.data(), 32);
    }
};

inline const std::vector<std::string> kFullRelease = {"DeleteDC",       "AVIStreamRelease compressed",
                                                      "AVIStreamRelease stream", "AVIFileRelease",
                                                      "HeapFree",       "HeapDestroy"};

class WriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        stand_in::CallLog().clear();
        stand_in::ResetVfw();
        stand_in::ResetPlatform();
    }

    static std::unique_ptr<TAviFromBitmaps> SystemWriter()
    {
        return std::unique_ptr<TAviFromBitmaps>(TAviFromBitmaps::CreateAviFile(
            nullptr, QStringLiteral("/pictures/Frametide/IMG_42.avi"), mmioStringToFOURCCW(u"xvid", 0), 30, 1));
    }

    static void ExpectNothingHeld()
    {
        EXPECT_EQ(stand_in::Platform().liveContexts, 0);
        EXPECT_EQ(stand_in::Platform().liveHeaps, 0);
        EXPECT_EQ(stand_in::Platform().liveBlocks, 0);
    }

    // After a failure: both forms refuse at once, call nothing, and leave the text alone.
    static void ExpectInert(TAviFromBitmaps &writer, TestFrame &frame, const QString &text)
    {
        const std::size_t before = stand_in::CallLog().size();
        EXPECT_EQ(frame.AppendTo(writer, FrameForm::Bitmap), E_FAIL);
        EXPECT_EQ(frame.AppendTo(writer, FrameForm::RawBits), E_FAIL);
        EXPECT_EQ(stand_in::CallLog().size(), before);
        EXPECT_EQ(writer.GetLastErrorMessage(), text);
    }
};
