// The device list and the lookup by name.
#include "tests/capture/CaptureFixture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstdlib>
#include <vector>

namespace {

QStringList namesOf(const TCaptureDeviceManager &manager)
{
    QStringList names;
    for (int i = 0; i < manager.Count(); ++i)
        names << manager.Devices(i)->Name();
    return names;
}

TEST(DeviceList, NoDevicesGivesAnEmptyList)
{
    UseVirtualDevices("");
    EXPECT_EQ(TCaptureDeviceManager::Current().Count(), 0);
    EXPECT_EQ(TCaptureDeviceManager::Current().GetDevicesByName("Cam"), nullptr);
}

TEST(DeviceList, AudioInputsFirstThenCamerasEachInTheirOrder)
{
    UseVirtualDevices("video:Cam 1:320x240@30;audio:Mic 1;video:Cam 2:640x480@30;audio:Mic 2");
    const TCaptureDeviceManager &manager = TCaptureDeviceManager::Current();
    EXPECT_EQ(namesOf(manager), (QStringList{"Mic 1", "Mic 2", "Cam 1", "Cam 2"}));
    const std::vector<TMediaType> types = {TMediaType::Audio, TMediaType::Audio, TMediaType::Video, TMediaType::Video};
    for (int i = 0; i < manager.Count(); ++i) {
        EXPECT_EQ(manager.Devices(i)->MediaType(), types[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(manager.Devices(i)->State(), TCaptureDeviceState::Stopped) << i;
    }
    EXPECT_NE(dynamic_cast<TAudioCaptureDevice *>(manager.Devices(0)), nullptr);
    EXPECT_NE(dynamic_cast<TVideoCaptureDevice *>(manager.Devices(2)), nullptr);
}

TEST(DeviceList, IsOneSharedListReadOnce)
{
    UseVirtualDevices("video:Cam:320x240@30");
    TCaptureDeviceManager &first = TCaptureDeviceManager::Current();
    UseVirtualDevices("video:Cam:320x240@30;video:Other:320x240@30");
    EXPECT_EQ(&TCaptureDeviceManager::Current(), &first);
    EXPECT_EQ(first.Count(), 1);
}

// Listed as: Mic(0) cam(1) | Cam(2) Cam(3) Straße(4) Ärger(5).
TEST(DeviceList, LookupIsCaseInsensitiveAndTheLastMatchWins)
{
    UseVirtualDevices("video:Cam:320x240@30;audio:Mic;video:Cam:640x480@30;audio:cam;video:Straße:64x48@30;"
                      "video:Ärger:64x48@30");
    const TCaptureDeviceManager &manager = TCaptureDeviceManager::Current();
    ASSERT_EQ(manager.Count(), 6);
    struct Case { const char *name; int index; };
    const Case cases[] = {
        {"Cam", 3},          // two cameras of one name and an audio input "cam": the later camera
        {"CAM", 3},
        {"cam", 3},
        {"mic", 0},
        {"MIC", 0},
        {"STRASSE", -1},     // case folding is not upper-casing: ß stays ß
        {"straße", 4},
        {"ärger", 5},
        {"ÄRGER", 5},
        {"Ca", -1},
        {"", -1},
        {"Cam ", -1},
    };
    for (const Case &c : cases) {
        TCaptureDevice *expected = c.index < 0 ? nullptr : manager.Devices(c.index);
        EXPECT_EQ(manager.GetDevicesByName(QString::fromUtf8(c.name)), expected) << c.name;
    }
}

TEST(DeviceList, AHangingProbeDoesNotHangStartUp)
{
    UseVirtualDevices("video:Cam:320x240@30");
    setenv("FRAMETIDE_TEST_PROBE_DELAY_MS", "60000", 1);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(TCaptureDeviceManager::Current().Count(), 0);
    EXPECT_LT(clock.elapsed(), 30000);
}

TEST(DeviceList, AudioInputsStopWithoutEverStarting)
{
    UseVirtualDevices("audio:Mic");
    TCaptureDevice *mic = TCaptureDeviceManager::Current().GetDevicesByName("Mic");
    ASSERT_NE(mic, nullptr);
    mic->StopCapture();
    mic->StopCapture();
    EXPECT_EQ(mic->State(), TCaptureDeviceState::Stopped);
}

} // namespace
