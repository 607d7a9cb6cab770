// The live preview and the choices in the options panel.
#include "tests/ui/FormFixture.h"

namespace {

TEST_F(FormFixture, FramesShowTheirSizeInTheCaptionAndTheirTimeStampInLabel1)
{
    Open("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(form->windowTitle(), "Video Size: 320x240");
    EXPECT_EQ(form->Image1->Bitmap.Width(), 320);
    EXPECT_EQ(form->Image1->Bitmap.Height(), 240);

    bool isNumber = false;
    const qint64 first = form->Label1->text().toLongLong(&isNumber);
    ASSERT_TRUE(isNumber) << form->Label1->text().toStdString();
    ASSERT_TRUE(WaitForFrames(3));
    const qint64 later = form->Label1->text().toLongLong(&isNumber);
    ASSERT_TRUE(isNumber);
    // 100 ns units: three frames at 30 per second are about 1,000,000 apart.
    EXPECT_GT(later - first, 500000);
    EXPECT_LT(later - first, 20000000);
    EXPECT_EQ(form->VCLBitmap, nullptr);
}

TEST_F(FormFixture, PickingAnotherCameraShowsItsSize)
{
    Open("video:Small:320x240@30;video:Large:640x480@30;audio:Mic");
    ASSERT_TRUE(WaitForFrames(2));
    EXPECT_EQ(form->windowTitle(), "Video Size: 320x240");

    TVideoCaptureDevice *first = form->VideoCamera;
    ClickListItem(form->VideoList, 1);
    EXPECT_EQ(first->State(), TCaptureDeviceState::Stopped);
    ASSERT_TRUE(WaitUntil([&] { return form->windowTitle() == "Video Size: 640x480"; }));
    EXPECT_EQ(form->Image1->Bitmap.Width(), 640);
}

TEST_F(FormFixture, ClickingTheRunningCameraRestartsIt)
{
    Open("video:Cam:320x240@30;audio:Mic");
    ASSERT_TRUE(WaitForFrames(2));
    ClickListItem(form->VideoList, 0);
    EXPECT_EQ(form->VideoCamera->State(), TCaptureDeviceState::Capturing);
    EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(FormFixture, AudioControlsFollowThePhotoOrVideoChoice)
{
    Open("video:Cam:320x240@30;audio:Mic");
    TCaptureDevice *audio = form->AudioDevice;

    ChooseVideo();
    EXPECT_TRUE(form->AudioList->isEnabled());
    EXPECT_TRUE(form->AudioLabel->isEnabled());

    ChoosePhoto();
    EXPECT_FALSE(form->AudioList->isEnabled());
    EXPECT_FALSE(form->AudioLabel->isEnabled());
    EXPECT_EQ(form->AudioDevice, audio);
}

TEST_F(FormFixture, AnAudioInputIsLookedUpButNeverStarted)
{
    Open("video:Cam:320x240@30;audio:Mic A;audio:Mic B");
    ChooseVideo();
    ClickListItem(form->AudioList, 1);
    ASSERT_NE(form->AudioDevice, nullptr);
    EXPECT_EQ(form->AudioDevice->Name(), "Mic B");
    EXPECT_EQ(form->AudioDevice->State(), TCaptureDeviceState::Stopped);
}

} // namespace
