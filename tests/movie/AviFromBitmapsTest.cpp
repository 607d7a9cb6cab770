// The movie writer against scripted AVI, device-context and heap stand-ins:
// construction, the records it hands over, sample order, every failure step and
// what it releases, and the frames it refuses.
#include "WriterFixture.h"

#include <QObject>

#include <cstring>
#include <functional>

namespace {

using stand_in::CallLog;
using stand_in::Platform;
using stand_in::Vfw;

const QString kSucceeded = QStringLiteral("Method Succeeded");

TEST_F(WriterTest, PlainConstructionHasNoCodecRateOneScaleOneAndNoFileName)
{
    TAviFromBitmaps writer;
    EXPECT_EQ(Vfw().initCalls, 1);
    EXPECT_EQ(writer.GetLastErrorMessage(), kSucceeded);
    TestFrame frame = TestFrame::Make(8, 4, 1);
    ASSERT_EQ(frame.AppendTo(writer, FrameForm::RawBits), S_OK);
    EXPECT_EQ(Vfw().streamInfo.fccHandler, 0u);
    EXPECT_EQ(Vfw().streamInfo.dwRate, 1u);
    EXPECT_EQ(Vfw().streamInfo.dwScale, 1u);
    EXPECT_EQ(Vfw().openedName, u"");
}

TEST_F(WriterTest, EveryConstructionInitialisesTheLibrary)
{
    TAviFromBitmaps first;
    const auto second = SystemWriter();
    EXPECT_EQ(Vfw().initCalls, 2);
}

TEST_F(WriterTest, WriterDestroyedBeforeAnyFrameLeavesNoFile)
{
    SystemWriter().reset();
    EXPECT_EQ(Vfw().openCalls, 0);
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(SystemWriter()->GetLastErrorMessage(), kSucceeded);
}

TEST_F(WriterTest, OwnerDestroysTheWriterAndSoCompletesTheFile)
{
    {
        QObject owner;
        TAviFromBitmaps *writer = TAviFromBitmaps::CreateAviFile(&owner, QStringLiteral("a.avi"), 0, 30, 1);
        EXPECT_EQ(writer->parent(), &owner);
        TestFrame frame = TestFrame::Make(8, 4, 1);
        ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    }
    EXPECT_EQ(stand_in::CallsSince(CallLog().size() - kFullRelease.size()), kFullRelease);
    ExpectNothingHeld();
}

TEST_F(WriterTest, First640x480FrameSizesBufferStreamAndFormatAlike)
{
    const auto writer = SystemWriter();
    TestFrame frame = TestFrame::Make(640, 480, 1);
    ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    const DWORD imageBytes = 640 * 480 * 4;

    EXPECT_EQ(Platform().heapOptions, HEAP_NO_SERIALIZE);
    EXPECT_EQ(Platform().heapInitialSize, imageBytes);
    EXPECT_EQ(Platform().heapMaximumSize, 0u);
    EXPECT_EQ(Platform().allocFlags, 9u);
    EXPECT_EQ(Platform().allocBytes, imageBytes);

    EXPECT_EQ(Vfw().streamInfo.dwSuggestedBufferSize, imageBytes);
    EXPECT_EQ(Vfw().streamInfo.rcFrame.left, 0);
    EXPECT_EQ(Vfw().streamInfo.rcFrame.top, 0);
    EXPECT_EQ(Vfw().streamInfo.rcFrame.right, 640);
    EXPECT_EQ(Vfw().streamInfo.rcFrame.bottom, 480);

    BITMAPINFOHEADER expectedFormat{};
    expectedFormat.biSize = 40;
    expectedFormat.biWidth = 640;
    expectedFormat.biHeight = 480;
    expectedFormat.biPlanes = 1;
    expectedFormat.biBitCount = 32;
    expectedFormat.biCompression = BI_RGB;
    expectedFormat.biSizeImage = imageBytes;
    EXPECT_EQ(std::memcmp(&Vfw().format, &expectedFormat, sizeof expectedFormat), 0);
    EXPECT_EQ(Vfw().formatSize, 40);
    EXPECT_EQ(Vfw().formatPosition, 0);
    EXPECT_EQ(Vfw().formatStream, stand_in::TheCompressedStream());

    ASSERT_EQ(Vfw().writes.size(), 1u);
    EXPECT_EQ(Vfw().writes[0].bytes, static_cast<LONG>(imageBytes));
    EXPECT_EQ(Vfw().writes[0].data, Platform().lastBlock) << "the first frame goes out of the frame buffer";
}

TEST_F(WriterTest, SystemArgumentsReachTheServiceAsTheRecordsSay)
{
    const auto writer = SystemWriter();
    TestFrame frame = TestFrame::Make(16, 8, 1);
    ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);

    EXPECT_EQ(Vfw().openedName, u"/pictures/Frametide/IMG_42.avi");
    EXPECT_EQ(Vfw().openMode, 4097u);
    EXPECT_TRUE(Vfw().openHandlerNull);
    EXPECT_EQ(Vfw().streamFile, stand_in::TheFile());

    TAVISTREAMINFOA expectedInfo;
    std::memset(&expectedInfo, 0, sizeof expectedInfo);
    expectedInfo.fccType = mmioFOURCC('v', 'i', 'd', 's');
    expectedInfo.fccHandler = mmioFOURCC('x', 'v', 'i', 'd');
    expectedInfo.dwScale = 1;
    expectedInfo.dwRate = 30;
    expectedInfo.dwQuality = 0xFFFFFFFFu;
    expectedInfo.dwSuggestedBufferSize = 16 * 8 * 4;
    expectedInfo.rcFrame = RECT{0, 0, 16, 8};
    std::memcpy(expectedInfo.szName, "Video Stream", 12);
    EXPECT_EQ(std::memcmp(&Vfw().streamInfo, &expectedInfo, sizeof expectedInfo), 0)
        << "every other field and the rest of the name are zero";

    TAVICOMPRESSOPTIONS expectedOptions;
    std::memset(&expectedOptions, 0, sizeof expectedOptions);
    expectedOptions.fccType = streamtypeVIDEO;
    expectedOptions.fccHandler = mmioFOURCC('x', 'v', 'i', 'd');
    expectedOptions.dwKeyFrameEvery = 1;
    expectedOptions.dwFlags = 12;
    EXPECT_EQ(std::memcmp(&Vfw().compressOptions, &expectedOptions, sizeof expectedOptions), 0)
        << "quality stays 0 in the options";
    EXPECT_EQ(Vfw().compressSource, stand_in::TheStream());
    EXPECT_TRUE(Vfw().compressHandlerNull);
}

TEST_F(WriterTest, SamplesRunZeroOneTwoWhicheverFormAppends)
{
    const auto writer = SystemWriter();
    TestFrame frame = TestFrame::Make(8, 4, 1);
    ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    ASSERT_EQ(frame.AppendTo(*writer, FrameForm::RawBits), S_OK);
    ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    ASSERT_EQ(Vfw().writes.size(), 3u);
    for (LONG i = 0; i < 3; ++i) {
        const stand_in::WriteRecord &write = Vfw().writes[static_cast<std::size_t>(i)];
        EXPECT_EQ(write.start, i);
        EXPECT_EQ(write.samples, 1);
        EXPECT_EQ(write.flags, 0u);
        EXPECT_TRUE(write.outputsNull);
        EXPECT_EQ(write.stream, stand_in::TheCompressedStream());
    }
    EXPECT_EQ(writer->GetLastErrorMessage(), kSucceeded);
}

TEST_F(WriterTest, BitmapFormCopiesEachFrameBottomUpIntoTheOneBuffer)
{
    const auto writer = SystemWriter();
    std::vector<TestFrame> frames;
    for (int seed = 1; seed <= 3; ++seed)
        frames.push_back(TestFrame::Make(5, 3, seed));
    for (TestFrame &frame : frames)
        ASSERT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    EXPECT_EQ(Platform().heapAllocCalls, 1);
    ASSERT_EQ(Vfw().writes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Vfw().writes[i].copy, frames[i].bottomUp) << "frame " << i;
        EXPECT_EQ(Vfw().writes[i].data, Platform().lastBlock);
    }
}

TEST_F(WriterTest, RawBitsGoStraightFromTheCallerWithTheirOwnByteCount)
{
    const auto writer = SystemWriter();
    TestFrame first = TestFrame::Make(6, 2, 1);
    TestFrame second = TestFrame::Make(6, 2, 2);
    ASSERT_EQ(first.AppendTo(*writer, FrameForm::RawBits), S_OK);
    ASSERT_EQ(second.AppendTo(*writer, FrameForm::RawBits), S_OK);
    ASSERT_EQ(Vfw().writes.size(), 2u);
    EXPECT_EQ(Vfw().writes[0].data, first.bottomUp.data());
    EXPECT_EQ(Vfw().writes[1].data, second.bottomUp.data());
    EXPECT_EQ(Vfw().writes[1].bytes, 6 * 2 * 32 / 8);
}

// Each step of the first frame's setup failing in turn: the text, and exactly what is released.
struct SetupFailure {
    const char *name;
    std::function<void()> arm;
    QString text;
    std::vector<std::string> calls;
};

std::vector<std::string> Concat(std::vector<std::string> head, const std::vector<std::string> &tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::vector<std::string> kUpToOpen = {"CreateCompatibleDC", "HeapCreate", "HeapAlloc", "AVIFileOpenW"};
const std::vector<std::string> kUpToFormat = Concat(
    kUpToOpen, {"AVIFileCreateStreamA", "AVIMakeCompressedStream", "AVIStreamSetFormat"});

std::vector<SetupFailure> SetupFailures()
{
    return {
        {"DeviceContext", [] { Platform().failCreateDC = true; }, "Unable to Create Compatible DC",
         {"CreateCompatibleDC"}},
        {"Heap", [] { Platform().failHeapCreate = true; }, "Unable to Create Heap",
         {"CreateCompatibleDC", "HeapCreate", "DeleteDC"}},
        {"FrameBuffer", [] { Platform().failHeapAlloc = true; }, "Unable to Allocate Memory on Heap",
         {"CreateCompatibleDC", "HeapCreate", "HeapAlloc", "DeleteDC", "HeapDestroy"}},
        {"OpenFile", [] { Vfw().failAt = stand_in::VfwStep::OpenFile; }, "Unable to Create the Movie File",
         Concat(kUpToOpen, {"DeleteDC", "HeapFree", "HeapDestroy"})},
        {"CreateStream", [] { Vfw().failAt = stand_in::VfwStep::CreateStream; },
         "Unable to Create Video Stream in the Movie File",
         Concat(kUpToOpen, {"AVIFileCreateStreamA", "DeleteDC", "AVIFileRelease", "HeapFree", "HeapDestroy"})},
        {"CompressedStream", [] { Vfw().failAt = stand_in::VfwStep::MakeCompressedStream; },
         "Unable to Create Compressed Stream: Check your CODEC options",
         Concat(kUpToOpen, {"AVIFileCreateStreamA", "AVIMakeCompressedStream", "DeleteDC", "AVIStreamRelease stream",
                            "AVIFileRelease", "HeapFree", "HeapDestroy"})},
        {"SetFormat", [] { Vfw().failAt = stand_in::VfwStep::SetFormat; }, "Unable to Set Video Stream Format",
         Concat(kUpToFormat, kFullRelease)},
        {"FirstWrite", [] { Vfw().failAt = stand_in::VfwStep::Write; },
         "Unable to Write Video Stream to the output Movie File",
         Concat(Concat(kUpToFormat, {"AVIStreamWrite"}), kFullRelease)},
    };
}

class WriterSetupFailure : public WriterTest,
                           public testing::WithParamInterface<std::tuple<SetupFailure, FrameForm>> {};

TEST_P(WriterSetupFailure, ReleasesWhatWasMadeAndStaysInert)
{
    const auto &[failure, form] = GetParam();
    failure.arm();
    auto writer = SystemWriter();
    TestFrame frame = TestFrame::Make(8, 4, 1);

    EXPECT_EQ(frame.AppendTo(*writer, form), E_FAIL);
    EXPECT_EQ(writer->GetLastErrorMessage(), failure.text);
    EXPECT_EQ(CallLog(), failure.calls);
    ExpectNothingHeld();

    ExpectInert(*writer, frame, failure.text);
    const std::size_t before = CallLog().size();
    writer.reset();
    EXPECT_EQ(CallLog().size(), before) << "a second release finds nothing";
}

INSTANTIATE_TEST_SUITE_P(EachStep, WriterSetupFailure,
                         testing::Combine(testing::ValuesIn(SetupFailures()),
                                          testing::Values(FrameForm::Bitmap, FrameForm::RawBits)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == FrameForm::Bitmap ? "_Bitmap" : "_RawBits");
                         });

TEST_F(WriterTest, FailedLaterWriteCompletesTheFileWithTheFramesBefore)
{
    Vfw().failAt = stand_in::VfwStep::Write;
    Vfw().failingWrite = 2;
    const auto writer = SystemWriter();
    TestFrame frame = TestFrame::Make(8, 4, 1);
    EXPECT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    EXPECT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    const std::size_t before = CallLog().size();
    EXPECT_EQ(frame.AppendTo(*writer, FrameForm::Bitmap), E_FAIL);
    const QString text = QStringLiteral("Unable to Write Video Stream to the output Movie File");
    EXPECT_EQ(writer->GetLastErrorMessage(), text);
    EXPECT_EQ(stand_in::CallsSince(before), Concat({"AVIStreamWrite"}, kFullRelease));
    ExpectNothingHeld();
    ExpectInert(*writer, frame, text);
}

// A later frame unlike the first: refused before anything is copied or written.
struct OtherFormat {
    const char *name;
    FrameForm form;
    int width;
    int height;
    int bitsPerPixel;
};

class WriterOtherFormat : public WriterTest, public testing::WithParamInterface<OtherFormat> {};

TEST_P(WriterOtherFormat, EndsTheMovieWithTheFramesBefore)
{
    const OtherFormat &other = GetParam();
    const auto writer = SystemWriter();
    TestFrame first = TestFrame::Make(16, 8, 1);
    ASSERT_EQ(first.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    const std::size_t before = CallLog().size();

    TestFrame later = TestFrame::Make(other.width, other.height, 2);
    const qint32 result = other.form == FrameForm::Bitmap
                              ? writer->AppendNewFrame(later.bitmap->Handle())
                              : writer->AppendNewFrame(other.width, other.height, later.bottomUp.data(),
                                                       other.bitsPerPixel);
    EXPECT_EQ(result, E_FAIL);
    const QString text = QStringLiteral("Frame size differs from the first frame of the movie");
    EXPECT_EQ(writer->GetLastErrorMessage(), text);
    EXPECT_EQ(stand_in::CallsSince(before), kFullRelease);
    EXPECT_EQ(Vfw().writes.size(), 1u);
    ExpectInert(*writer, first, text);
}

INSTANTIATE_TEST_SUITE_P(Frames, WriterOtherFormat,
                         testing::Values(OtherFormat{"WiderBitmap", FrameForm::Bitmap, 32, 8, 32},
                                         OtherFormat{"TallerBitmap", FrameForm::Bitmap, 16, 64, 32},
                                         OtherFormat{"SmallerBitmap", FrameForm::Bitmap, 8, 4, 32},
                                         OtherFormat{"WiderBits", FrameForm::RawBits, 32, 8, 32},
                                         OtherFormat{"ShorterBits", FrameForm::RawBits, 16, 4, 32},
                                         OtherFormat{"OtherDepthBits", FrameForm::RawBits, 16, 8, 24}),
                         [](const auto &info) { return std::string(info.param.name); });

enum class BadHandle { Null, Freed, Forged };

HBITMAP MakeBadHandle(BadHandle kind)
{
    static int notABitmap = 0;
    switch (kind) {
    case BadHandle::Null:
        return nullptr;
    case BadHandle::Freed:
        return TestFrame::Make(4, 4, 1).bitmap->Handle();
    case BadHandle::Forged:
        break;
    }
    return reinterpret_cast<HBITMAP>(&notABitmap);
}

class WriterUnreadableBitmap : public WriterTest, public testing::WithParamInterface<BadHandle> {};

TEST_P(WriterUnreadableBitmap, AsFirstFrameMakesNoFile)
{
    const auto writer = SystemWriter();
    EXPECT_EQ(writer->AppendNewFrame(MakeBadHandle(GetParam())), E_FAIL);
    const QString text = QStringLiteral("Unable to Read the Frame Bitmap");
    EXPECT_EQ(writer->GetLastErrorMessage(), text);
    EXPECT_TRUE(CallLog().empty()) << "nothing is set up from a header the platform did not fill";
    TestFrame frame = TestFrame::Make(8, 4, 1);
    ExpectInert(*writer, frame, text);
}

TEST_P(WriterUnreadableBitmap, AsLaterFrameEndsTheMovieWithTheFramesBefore)
{
    const auto writer = SystemWriter();
    TestFrame first = TestFrame::Make(4, 4, 1);
    ASSERT_EQ(first.AppendTo(*writer, FrameForm::Bitmap), S_OK);
    const std::size_t before = CallLog().size();
    EXPECT_EQ(writer->AppendNewFrame(MakeBadHandle(GetParam())), E_FAIL);
    const QString text = QStringLiteral("Unable to Read the Frame Bitmap");
    EXPECT_EQ(writer->GetLastErrorMessage(), text);
    EXPECT_EQ(stand_in::CallsSince(before), kFullRelease);
    EXPECT_EQ(Vfw().writes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Handles, WriterUnreadableBitmap,
                         testing::Values(BadHandle::Null, BadHandle::Freed, BadHandle::Forged));

// Rows padded to 4 bytes: the buffer, the stream and the format agree with the padded size.
struct PaddedSize {
    int width;
    int height;
    int bitsPerPixel;
    DWORD imageBytes;
};

class WriterPaddedRows : public WriterTest, public testing::WithParamInterface<PaddedSize> {};

TEST_P(WriterPaddedRows, SizesAgreeWithTheRowsAsLaidOut)
{
    const PaddedSize &size = GetParam();
    const auto writer = SystemWriter();
    std::vector<BYTE> bits(size.imageBytes, 0x5A);
    ASSERT_EQ(writer->AppendNewFrame(size.width, size.height, bits.data(), size.bitsPerPixel), S_OK);
    EXPECT_EQ(Platform().heapInitialSize, size.imageBytes);
    EXPECT_EQ(Platform().allocBytes, size.imageBytes);
    EXPECT_EQ(Vfw().streamInfo.dwSuggestedBufferSize, size.imageBytes);
    EXPECT_EQ(Vfw().format.biSizeImage, size.imageBytes);
    EXPECT_EQ(Vfw().format.biBitCount, size.bitsPerPixel);
    ASSERT_EQ(Vfw().writes.size(), 1u);
    EXPECT_EQ(Vfw().writes[0].bytes, static_cast<LONG>(size.imageBytes));
}

INSTANTIATE_TEST_SUITE_P(Depths, WriterPaddedRows,
                         testing::Values(PaddedSize{3, 2, 24, 24}, PaddedSize{5, 1, 24, 16}, PaddedSize{4, 2, 24, 24},
                                         PaddedSize{7, 3, 32, 84}, PaddedSize{640, 480, 32, 640 * 480 * 4}));

// Sizes no buffer can be made for: refused where the heap is sized, before anything is created.
struct UnsizableFrame {
    int width;
    int height;
    int bitsPerPixel;
};

class WriterUnsizableFrame : public WriterTest, public testing::WithParamInterface<UnsizableFrame> {};

TEST_P(WriterUnsizableFrame, FailsAtTheHeapStep)
{
    const UnsizableFrame &frame = GetParam();
    const auto writer = SystemWriter();
    BYTE pixel[4] = {};
    EXPECT_EQ(writer->AppendNewFrame(frame.width, frame.height, pixel, frame.bitsPerPixel), E_FAIL);
    EXPECT_EQ(writer->GetLastErrorMessage(), QStringLiteral("Unable to Create Heap"));
    EXPECT_EQ(Platform().heapCreateCalls, 0);
    EXPECT_EQ(Vfw().openCalls, 0);
    ExpectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(Sizes, WriterUnsizableFrame,
                         testing::Values(UnsizableFrame{0, 8, 32}, UnsizableFrame{8, 0, 32},
                                         UnsizableFrame{-8, 8, 32}, UnsizableFrame{8, 8, 0},
                                         UnsizableFrame{100000, 100000, 32}, UnsizableFrame{65536, 32768, 8}));

TEST_F(WriterTest, NullRawBitsAreNeverHandedOn)
{
    const auto writer = SystemWriter();
    EXPECT_EQ(writer->AppendNewFrame(8, 4, nullptr, 32), E_FAIL);
    EXPECT_EQ(writer->GetLastErrorMessage(), QStringLiteral("Unable to Read the Frame Bitmap"));
    EXPECT_TRUE(Vfw().writes.empty());
    ExpectNothingHeld();
}

} // namespace
