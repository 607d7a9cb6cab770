// Starting and stopping cameras and delivering their frames to the GUI thread.
#include "tests/capture/CaptureFixture.h"

#include "platform/gui/Bitmap.h"
#include "tests/devices/FrameStamp.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr TMediaTime kUnitsPerSecond = 10'000'000;

struct Frame {
    TMediaTime time;
    int stamp;
    bool onGuiThread;
};

// A camera started with a handler that copies every frame into a bitmap and
// notes its time, stamp and thread.
class CameraTest : public ::testing::Test {
protected:
    TVideoCaptureDevice *Start(const char *devices, const QString &name = "Cam")
    {
        UseVirtualDevices(devices);
        m_camera = CameraNamed(name);
        if (!m_camera)
            return nullptr;
        m_camera->OnSampleBufferReady = [this](QObject *sender, const TMediaTime &time) {
            EXPECT_EQ(sender, m_camera);
            if (BeforeCopy)
                BeforeCopy();
            m_camera->SampleBufferToBitmap(&m_bitmap, true);
            const int stamp = ReadFrameStamp(m_bitmap.ScanLine(0), m_bitmap.Width(), m_bitmap.Height(),
                                             static_cast<int>(m_bitmap.BytesPerLine()));
            m_frames.push_back({time, stamp, QThread::currentThread() == qApp->thread()});
            if (AfterCopy)
                AfterCopy();
        };
        m_camera->StartCapture();
        return m_camera;
    }

    bool WaitForFrames(size_t count, int timeoutMs = 5000)
    {
        return RunEventsUntil([&] { return m_frames.size() >= count; }, timeoutMs);
    }

    std::function<void()> BeforeCopy;
    std::function<void()> AfterCopy;
    TVideoCaptureDevice *m_camera = nullptr;
    TBitmap m_bitmap;
    std::vector<Frame> m_frames;
};

TEST_F(CameraTest, FramesArriveOnTheGuiThreadWithTimeInHundredNanoseconds)
{
    ASSERT_NE(Start("video:Cam:320x240@30"), nullptr);
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Capturing);
    ASSERT_TRUE(WaitForFrames(12));
    for (const Frame &frame : m_frames)
        EXPECT_TRUE(frame.onGuiThread);
    EXPECT_GE(m_frames.front().time, 0);
    EXPECT_LT(m_frames.front().time, kUnitsPerSecond);
    for (size_t i = 1; i < m_frames.size(); ++i)
        EXPECT_GT(m_frames[i].time, m_frames[i - 1].time);
    // Frames may be dropped, never invented: the time per stamp step is the camera's period.
    const Frame &first = m_frames.front(), &last = m_frames.back();
    ASSERT_GT(last.stamp, first.stamp);
    const double period = double(last.time - first.time) / (last.stamp - first.stamp);
    EXPECT_NEAR(period, kUnitsPerSecond / 30.0, kUnitsPerSecond / 30.0 * 0.05);
}

TEST_F(CameraTest, StampsCountUpFromTheStart)
{
    ASSERT_NE(Start("video:Cam:640x480@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(8));
    EXPECT_GE(m_frames.front().stamp, 0);
    EXPECT_LT(m_frames.front().stamp, 5);
    for (size_t i = 1; i < m_frames.size(); ++i)
        EXPECT_GT(m_frames[i].stamp, m_frames[i - 1].stamp);
}

TEST_F(CameraTest, BitmapTakesTheFrameSizeWithOpaquePixelsAndTheStampCells)
{
    int changes = 0;
    m_bitmap.OnChange = [&] { ++changes; };
    m_bitmap.SetSize(16, 16);
    ASSERT_NE(Start("video:Cam:352x288@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(m_bitmap.Width(), 352);
    EXPECT_EQ(m_bitmap.Height(), 288);
    EXPECT_EQ(changes, static_cast<int>(m_frames.size()));
    for (int y = 0; y < m_bitmap.Height(); ++y) {
        const uchar *line = m_bitmap.ScanLine(y);
        for (int x = 0; x < m_bitmap.Width(); ++x)
            ASSERT_EQ(line[4 * x + 3], 255) << x << "," << y;
    }
    // The middle of the white and of the black guard cell of the stamp.
    const int y = FrameStamp::BandHeight(288) / 2;
    const int whiteX = FrameStamp::CellBegin(1, 352) / 2;
    const int blackX = (FrameStamp::CellBegin(1, 352) + FrameStamp::CellBegin(2, 352)) / 2;
    const uchar *line = m_bitmap.ScanLine(y);
    for (int c = 0; c < 3; ++c) {
        EXPECT_GE(line[4 * whiteX + c], 250) << c;
        EXPECT_LE(line[4 * blackX + c], 5) << c;
    }
}

TEST_F(CameraTest, CopyWithoutSizingNeedsABitmapOfTheFrameSize)
{
    ASSERT_NE(Start("video:Cam:320x240@30"), nullptr);
    struct Case { int width, height; bool fails; };
    std::vector<Case> cases = {{320, 240, false}, {321, 240, true}, {320, 200, true}, {0, 0, true}};
    std::vector<QString> outcomes;
    BeforeCopy = [&] {
        for (const Case &c : cases) {
            TBitmap bitmap;
            bitmap.SetSize(c.width, c.height);
            QString outcome = "copied";
            try {
                m_camera->SampleBufferToBitmap(&bitmap, false);
            } catch (const EAcquireBitmapAccess &e) {
                outcome = e.Message();
            }
            outcomes.push_back(outcome);
        }
        try {
            m_camera->SampleBufferToBitmap(nullptr, true);
            outcomes.push_back("copied");
        } catch (const EAcquireBitmapAccess &e) {
            outcomes.push_back(e.Message());
        }
        BeforeCopy = nullptr;
    };
    ASSERT_TRUE(WaitForFrames(1));
    const QString refused = "Failed acquiring access to bitmap.";
    EXPECT_EQ(outcomes, (std::vector<QString>{"copied", refused, refused, refused, refused}));
}

TEST_F(CameraTest, CopyOutsideTheHandlerHasNoFrame)
{
    ASSERT_NE(Start("video:Cam:320x240@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(1));
    TBitmap bitmap;
    try {
        m_camera->SampleBufferToBitmap(&bitmap, true);
        FAIL() << "copied a frame outside the handler";
    } catch (const EBitmapIncorrectSize &e) {
        EXPECT_EQ(e.Message(), "Could not retrieve surface description.");
    }
}

TEST_F(CameraTest, FramesArrivingWhileOneIsPendingAreDropped)
{
    ASSERT_NE(Start("video:Cam:160x120@60"), nullptr);
    ASSERT_TRUE(WaitForFrames(3));
    // The GUI thread is busy for half a second: about 30 frames come meanwhile.
    QThread::msleep(500);
    const size_t before = m_frames.size();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ASSERT_EQ(m_frames.size(), before + 1);
    // One frame of those made during the pause was kept, the others dropped:
    // across the pause the stamps jump by about 30, however busy the machine.
    ASSERT_TRUE(WaitForFrames(before + 2));
    EXPECT_GE(m_frames[before + 1].stamp - m_frames[before - 1].stamp, 20);
}

TEST_F(CameraTest, FrameDuringASlowHandlerIsDroppedNotQueued)
{
    ASSERT_NE(Start("video:Cam:160x120@60"), nullptr);
    AfterCopy = [&] {
        if (m_frames.size() == 1)
            QThread::msleep(300);
    };
    ASSERT_TRUE(WaitForFrames(2));
    // The next frame delivered is one made after the handler returned.
    EXPECT_GE(m_frames[1].stamp - m_frames[0].stamp, 12);
}

TEST_F(CameraTest, StopWithAFramePendingReturnsAndNothingArrivesAfterwards)
{
    ASSERT_NE(Start("video:Cam:160x120@60"), nullptr);
    ASSERT_TRUE(WaitForFrames(1));
    QThread::msleep(200);   // a frame is now pending with its delivery queued
    const size_t before = m_frames.size();
    m_camera->StopCapture();
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Stopped);
    RunEventsFor(300);
    EXPECT_EQ(m_frames.size(), before);
    m_camera->StopCapture();
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Stopped);
}

TEST_F(CameraTest, RestartWithAFramePendingStartsAFreshRun)
{
    ASSERT_NE(Start("video:Cam:160x120@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(6));
    QThread::msleep(200);   // the old run's delivery is queued
    const size_t before = m_frames.size();
    m_camera->StartCapture();
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Capturing);
    ASSERT_TRUE(WaitForFrames(before + 1));
    EXPECT_LT(m_frames[before].stamp, 3);
    EXPECT_LT(m_frames[before].time, kUnitsPerSecond / 5);
}

TEST_F(CameraTest, HandlerMayStopTheCamera)
{
    ASSERT_NE(Start("video:Cam:160x120@60"), nullptr);
    AfterCopy = [&] { m_camera->StopCapture(); };
    ASSERT_TRUE(WaitForFrames(1));
    RunEventsFor(200);
    EXPECT_EQ(m_frames.size(), 1u);
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Stopped);
}

TEST_F(CameraTest, AnExceptionFromTheHandlerIsShownAndDeliveryGoesOn)
{
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(20);
    bool thrown = false;
    BeforeCopy = [&] {
        if (!thrown) {
            thrown = true;
            throw Exception("The handler failed");
        }
    };
    ASSERT_NE(Start("video:Cam:160x120@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(shown, QStringList{"The handler failed."});
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Capturing);
}

TEST_F(CameraTest, ACameraThatCannotStartStaysStoppedAndSilent)
{
    ASSERT_NE(Start("video:Cam:160x120@30:fail-start=1"), nullptr);
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Stopped);
    RunEventsFor(300);
    EXPECT_TRUE(m_frames.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(m_camera->State(), TCaptureDeviceState::Stopped);
}

TEST_F(CameraTest, ACameraFailingWhileRunningStopsAndCanBeStartedAgain)
{
    ASSERT_NE(Start("video:Cam:160x120@60:fail-after=5"), nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return m_camera->State() == TCaptureDeviceState::Stopped; }, 5000));
    const size_t delivered = m_frames.size();
    EXPECT_LE(delivered, 5u);
    for (const Frame &frame : m_frames)
        EXPECT_LT(frame.stamp, 5);
    RunEventsFor(200);
    EXPECT_EQ(m_frames.size(), delivered);

    // The program runs on: the camera can be started again.
    m_camera->StartCapture();
    ASSERT_TRUE(WaitForFrames(delivered + 1));
}

TEST_F(CameraTest, SwitchingBetweenCamerasOfDifferentSizes)
{
    ASSERT_NE(Start("video:Cam:320x240@30;video:Big:640x480@30"), nullptr);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_EQ(m_bitmap.Width(), 320);
    m_camera->StopCapture();
    TVideoCaptureDevice *big = CameraNamed("Big");
    ASSERT_NE(big, nullptr);
    bool bigFrame = false;
    big->OnSampleBufferReady = [&](QObject *, const TMediaTime &) {
        big->SampleBufferToBitmap(&m_bitmap, true);
        bigFrame = true;
    };
    big->StartCapture();
    ASSERT_TRUE(RunEventsUntil([&] { return bigFrame; }, 5000));
    EXPECT_EQ(m_bitmap.Width(), 640);
    EXPECT_EQ(m_bitmap.Height(), 480);
}

} // namespace
