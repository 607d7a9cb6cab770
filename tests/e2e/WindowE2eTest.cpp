// The real program on a virtual display: its window, the live preview, camera
// switching and the start without a camera.
#include "tests/e2e/Desktop.h"

namespace {

TEST_F(Desktop, WindowShowsThePreviewAndFollowsTheCameraPicked)
{
    Launch("video:Cam A:640x480@30;video:Cam B:320x240@30;audio:Mic");
    EXPECT_NE(Xdo({"getwindowgeometry", mainWindow}).find("Geometry: 940x668"), std::string::npos);
    ASSERT_TRUE(WaitForWindowName("Video Size: 640x480")) << WindowName();
    Screenshot("running");

    ClickCamera(1);
    EXPECT_TRUE(WaitForWindowName("Video Size: 320x240")) << WindowName();

    CloseMainWindow();
    EXPECT_EQ(program.Wait(std::chrono::seconds(10)), 0);
}

TEST_F(Desktop, WithoutACameraTheProgramSaysSoAndEnds)
{
    Launch("audio:Mic");
    const std::string box = WaitForMessageBox();
    ASSERT_FALSE(box.empty());
    Screenshot("no-camera");
    EXPECT_TRUE(program.Running());

    CloseMessageBox(box);
    EXPECT_EQ(program.Wait(std::chrono::seconds(10)), 0);
}

} // namespace
