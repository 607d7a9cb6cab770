// Start-up of the main window: device lists, first selections, the two
// messages and their order, and the state of the controls before the first frame.
#include "tests/ui/FormFixture.h"

#include "platform/gui/Application.h"

namespace {

const QString kNoCameras = QStringLiteral("You do not have any cameras on this computer");
const QString kNoAudio =
    QStringLiteral("You have no Audio Inputs or Microphones on this computer. Video Capture Disabled");

QStringList Items(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

struct StartupCase {
    const char *name;
    const char *devices;
    QStringList cameras;
    QStringList audioInputs;
    QStringList messages;
    bool videoChoice;    // VideoMedia enabled afterwards
    bool terminated;     // the program ends after FormShow
};

void PrintTo(const StartupCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartupTest : public FormFixture, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupTest, ListsDevicesAndTellsWhatIsMissing)
{
    const StartupCase &c = GetParam();
    Open(c.devices);

    EXPECT_EQ(Items(form->VideoList), c.cameras);
    EXPECT_EQ(Items(form->AudioList), c.audioInputs);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(form->VideoMedia->isEnabled(), c.videoChoice);
    EXPECT_EQ(Application.Terminated(), c.terminated);
    EXPECT_EQ(form->VideoCamera != nullptr, !c.cameras.isEmpty());
    EXPECT_EQ(form->AudioDevice != nullptr, !c.audioInputs.isEmpty());
    EXPECT_EQ(form->VideoList->currentRow(), c.cameras.isEmpty() ? -1 : 0);
    EXPECT_EQ(form->AudioList->currentRow(), c.audioInputs.isEmpty() ? -1 : 0);
    // Photo is chosen at start, so the audio controls are off whatever was found.
    EXPECT_TRUE(form->PhotoMedia->isChecked());
    EXPECT_FALSE(form->AudioList->isEnabled());
    EXPECT_FALSE(form->AudioLabel->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, StartupTest,
    ::testing::Values(
        StartupCase{"NoDevices", "", {}, {}, {kNoCameras, kNoAudio}, false, true},
        StartupCase{"CamerasWithoutAudio", "video:Cam A:320x240@30;video:Cam B:160x120@30",
                    {"Cam A", "Cam B"}, {}, {kNoAudio}, false, false},
        StartupCase{"AudioWithoutCamera", "audio:Mic", {}, {"Mic"}, {kNoCameras}, true, true},
        StartupCase{"CamerasAndAudio", "video:Cam:320x240@30;audio:Mic A;audio:Mic B",
                    {"Cam"}, {"Mic A", "Mic B"}, {}, true, false},
        StartupCase{"TwoCamerasOfOneName", "video:Twin:320x240@30;video:Twin:160x120@30;audio:Mic",
                    {"Twin", "Twin"}, {"Mic"}, {}, true, false}),
    [](const ::testing::TestParamInfo<StartupCase> &info) { return std::string(info.param.name); });

TEST_F(FormFixture, CameraStartsOnlyOnceBothMessagesAreClosed)
{
    Open("video:Cam:320x240@30");
    EXPECT_EQ(Messages(), QStringList{kNoAudio});
    EXPECT_EQ(form->VideoCamera->State(), TCaptureDeviceState::Capturing);
    EXPECT_TRUE(WaitForFrames(3));
}

TEST_F(FormFixture, BeforeTheFirstFrameTheTextsAreTheLayoutsOwn)
{
    Make("video:Cam:320x240@30;audio:Mic");
    form->FormShow(form.get());

    EXPECT_EQ(form->windowTitle(), "Form1");
    EXPECT_EQ(form->Label1->text(), "Step 1) Pick a camera from the list");
    EXPECT_EQ(form->Button1->text(), "GO!");
    EXPECT_EQ(form->VideoList->currentRow(), 0);
    EXPECT_EQ(form->AudioList->currentRow(), 0);
    EXPECT_EQ(form->Image1->Bitmap.Width(), 0);
    EXPECT_EQ(RecInd, 0);
    EXPECT_EQ(form->AVI, nullptr);
}

TEST_F(FormFixture, TwoCamerasOfOneNameBothResolveToTheLater)
{
    Open("video:Twin:320x240@30;video:Twin:160x120@30;audio:Mic");
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(form->windowTitle(), "Video Size: 160x120");

    ClickListItem(form->VideoList, 0);
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(form->windowTitle(), "Video Size: 160x120");
}

TEST_F(FormFixture, AudioInputNamedLikeTheCameraResolvesToTheCamera)
{
    Open("video:Cam:320x240@30;audio:CAM");
    ASSERT_NE(form->VideoCamera, nullptr);
    EXPECT_EQ(form->AudioDevice, form->VideoCamera);

    // Picking that audio input stops the camera it resolves to: the preview freezes.
    ChooseVideo();
    ASSERT_TRUE(WaitForFrames(2));
    ClickListItem(form->AudioList, 0);
    EXPECT_EQ(form->VideoCamera->State(), TCaptureDeviceState::Stopped);
    const int frozenAt = frames;
    Pump(300);
    EXPECT_EQ(frames, frozenAt);

    ClickListItem(form->VideoList, 0);
    EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(FormFixture, WindowHasItsLayoutAndKeepsTheOptionsAtTheRightEdge)
{
    Open("video:Cam:320x240@30;audio:Mic");
    EXPECT_EQ(form->size(), QSize(940, 668));
    EXPECT_EQ(form->GroupBox1->geometry(), QRect(704, 0, 236, 668));
    EXPECT_EQ(form->Image1->geometry(), QRect(0, 0, 704, 668));
    EXPECT_EQ(form->AudioList->geometry(), QRect(8, 292, 213, 129));
    EXPECT_TRUE(form->Button1->isDefault());

    form->resize(1200, 800);
    Pump(20);
    EXPECT_EQ(form->GroupBox1->geometry(), QRect(964, 0, 236, 800));
    EXPECT_EQ(form->Image1->geometry(), QRect(0, 0, 964, 800));
}

} // namespace
