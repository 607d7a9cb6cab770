// Tests of the virtual devices themselves: the device list syntax, the frame
// stamp, and what the device provider and its cameras produce.
#include "tests/devices/FrameStamp.h"
#include "tests/devices/TestDeviceSpec.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// ---- device list syntax ----

TEST(TestDeviceSpec, ReadsCamerasAndAudioInputsInOrder)
{
    const auto devices = ParseTestDevices("audio:Mic;video:Cam A:640x480@30;video:Cam B:320x240@15/2:fail-after=7");
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].kind, TestDeviceSpec::Kind::Audio);
    EXPECT_EQ(devices[0].name, "Mic");
    EXPECT_EQ(devices[1].name, "Cam A");
    EXPECT_EQ(devices[1].width, 640);
    EXPECT_EQ(devices[1].height, 480);
    EXPECT_EQ(devices[1].fpsNumerator, 30);
    EXPECT_EQ(devices[1].fpsDenominator, 1);
    EXPECT_EQ(devices[1].failAfter, 0u);
    EXPECT_EQ(devices[2].fpsNumerator, 15);
    EXPECT_EQ(devices[2].fpsDenominator, 2);
    EXPECT_EQ(devices[2].failAfter, 7u);
}

TEST(TestDeviceSpec, ReadsOptions)
{
    const auto devices = ParseTestDevices("video:C:64x48@30:fail-start=1:format=I420");
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(devices[0].failStart);
    EXPECT_EQ(devices[0].format, "I420");
}

TEST(TestDeviceSpec, LeavesOutMalformedEntries)
{
    const std::vector<std::string> malformed = {
        "video:C", "video:C:640x480", "video:C:640480@30", "video:C:0x480@30", "video:C:640x480@0",
        "video:C:640x480@30:fail-after=x", "video:C:640x480@30:colour=red", "video::640x480@30",
        "audio:Mic:extra", "speaker:S", "video:C:640x480@30:format=RGB"};
    for (const auto &entry : malformed) {
        std::vector<std::string> errors;
        EXPECT_TRUE(ParseTestDevices(entry + ";audio:Ok", &errors).size() == 1) << entry;
        EXPECT_EQ(errors, std::vector<std::string>{entry});
    }
    EXPECT_TRUE(ParseTestDevices("").empty());
    EXPECT_EQ(ParseTestDevices(";;audio:A;").size(), 1u);
}

// ---- frame stamp ----

// A grey picture with the stamp of number drawn as the cameras draw it.
std::vector<unsigned char> stampedPicture(int number, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4, 128);
    for (int y = 0; y < FrameStamp::BandHeight(height); ++y) {
        for (int cell = 0; cell < FrameStamp::kCells; ++cell) {
            const unsigned char value = FrameStamp::CellIsWhite(number, cell) ? 235 : 16;
            for (int x = FrameStamp::CellBegin(cell, width); x < FrameStamp::CellBegin(cell + 1, width); ++x) {
                for (int c = 0; c < 4; ++c)
                    pixels[(static_cast<size_t>(y) * width + x) * 4 + c] = value;
            }
        }
    }
    return pixels;
}

// Nearest-neighbour scaling with a blur-like error at every cell edge.
std::vector<unsigned char> scaled(const std::vector<unsigned char> &from, int width, int height, int toWidth,
                                  int toHeight)
{
    std::vector<unsigned char> to(static_cast<size_t>(toWidth) * toHeight * 4);
    for (int y = 0; y < toHeight; ++y) {
        for (int x = 0; x < toWidth; ++x) {
            const int sx = x * width / toWidth, sy = y * height / toHeight;
            for (int c = 0; c < 4; ++c)
                to[(static_cast<size_t>(y) * toWidth + x) * 4 + c] = from[(static_cast<size_t>(sy) * width + sx) * 4 + c];
        }
    }
    return to;
}

TEST(FrameStamp, ReadsBackTheNumberAtManySizes)
{
    struct Case { int number, width, height; };
    for (const Case c : {Case{0, 640, 480}, Case{1, 1920, 1080}, Case{12345, 160, 120}, Case{FrameStamp::kModulus - 1, 1280, 720}}) {
        const auto picture = stampedPicture(c.number, c.width, c.height);
        EXPECT_EQ(ReadFrameStamp(picture.data(), c.width, c.height, c.width * 4), c.number) << c.width;
    }
}

TEST(FrameStamp, SurvivesScaling)
{
    const auto picture = stampedPicture(54321, 1920, 1080);
    const auto small = scaled(picture, 1920, 1080, 640, 480);
    EXPECT_EQ(ReadFrameStamp(small.data(), 640, 480, 640 * 4), 54321);
    const auto large = scaled(stampedPicture(777, 320, 240), 320, 240, 1280, 720);
    EXPECT_EQ(ReadFrameStamp(large.data(), 1280, 720, 1280 * 4), 777);
}

TEST(FrameStamp, NumbersWrapAtTheModulus)
{
    const auto picture = stampedPicture(FrameStamp::kModulus + 5, 640, 480);
    EXPECT_EQ(ReadFrameStamp(picture.data(), 640, 480, 640 * 4), 5);
}

TEST(FrameStamp, RefusesPicturesWithoutAStamp)
{
    std::vector<unsigned char> grey(640 * 480 * 4, 128);
    EXPECT_EQ(ReadFrameStamp(grey.data(), 640, 480, 640 * 4), -1);
    EXPECT_EQ(ReadFrameStamp(nullptr, 640, 480, 640 * 4), -1);
    EXPECT_EQ(ReadFrameStamp(grey.data(), 8, 8, 32), -1);
}

TEST(FrameStamp, RefusesAStampWithAFlippedCell)
{
    auto picture = stampedPicture(1000, 640, 480);
    // Flip one data cell: the check nibble no longer matches.
    const int cell = FrameStamp::kGuardCells + 3;
    const unsigned char value = FrameStamp::CellIsWhite(1000, cell) ? 16 : 235;
    for (int y = 0; y < FrameStamp::BandHeight(480); ++y) {
        for (int x = FrameStamp::CellBegin(cell, 640); x < FrameStamp::CellBegin(cell + 1, 640); ++x) {
            for (int c = 0; c < 3; ++c)
                picture[(static_cast<size_t>(y) * 640 + x) * 4 + c] = value;
        }
    }
    EXPECT_EQ(ReadFrameStamp(picture.data(), 640, 480, 640 * 4), -1);
}

// ---- the provider and its devices ----

struct DeviceListDeleter {
    void operator()(GList *devices) const { g_list_free_full(devices, gst_object_unref); }
};
using DeviceList = std::unique_ptr<GList, DeviceListDeleter>;

class VirtualDevices : public ::testing::Test {
protected:
    static DeviceList Probe(const char *devices)
    {
        setenv("FRAMETIDE_TEST_DEVICES", devices, 1);
        gst_init(nullptr, nullptr);
        GstDeviceMonitor *monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
        gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr);
        DeviceList list(gst_device_monitor_get_devices(monitor));
        gst_object_unref(monitor);
        return list;
    }

    static std::string NameOf(GstDevice *device)
    {
        gchar *name = gst_device_get_display_name(device);
        std::string text = name;
        g_free(name);
        return text;
    }
};

TEST_F(VirtualDevices, ListsExactlyTheNamedDevicesInOrder)
{
    DeviceList devices = Probe("video:Cam B:320x240@30;audio:Mic;video:Cam A:640x480@15");
    std::vector<std::string> names;
    for (GList *item = devices.get(); item; item = item->next)
        names.push_back(NameOf(GST_DEVICE(item->data)));
    EXPECT_EQ(names, (std::vector<std::string>{"Cam B", "Mic", "Cam A"}));
    GList *second = g_list_nth(devices.get(), 1);
    EXPECT_TRUE(gst_device_has_classes(GST_DEVICE(second->data), "Audio/Source"));
    EXPECT_TRUE(gst_device_has_classes(GST_DEVICE(devices.get()->data), "Video/Source"));
}

TEST_F(VirtualDevices, ListsNothingWithoutTheVariable)
{
    unsetenv("FRAMETIDE_TEST_DEVICES");
    gst_init(nullptr, nullptr);
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr);
    DeviceList devices(gst_device_monitor_get_devices(monitor));
    gst_object_unref(monitor);
    EXPECT_EQ(devices.get(), nullptr);
}

TEST_F(VirtualDevices, HidesEveryOtherDeviceProvider)
{
    gst_init(nullptr, nullptr);
    GstDeviceProvider *ours = gst_device_provider_factory_get_by_name("frametidetestdeviceprovider");
    ASSERT_NE(ours, nullptr);
    gchar **hidden = gst_device_provider_get_hidden_providers(ours);
    std::vector<std::string> hiddenNames;
    for (gchar **name = hidden; name && *name; ++name)
        hiddenNames.push_back(*name);
    g_strfreev(hidden);
    gst_object_unref(ours);

    GList *factories = gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE);
    for (GList *item = factories; item; item = item->next) {
        const std::string name = GST_OBJECT_NAME(item->data);
        if (name != "frametidetestdeviceprovider") {
            EXPECT_NE(std::find(hiddenNames.begin(), hiddenNames.end(), name), hiddenNames.end()) << name;
        }
    }
    gst_plugin_feature_list_free(factories);
}

// Runs a device's element into an appsink of BGRx and pulls frames.
class CameraRun {
public:
    explicit CameraRun(GstDevice *device)
    {
        m_pipeline = gst_pipeline_new(nullptr);
        GstElement *source = gst_device_create_element(device, nullptr);
        GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
        m_sink = gst_element_factory_make("appsink", nullptr);
        GstCaps *caps = gst_caps_from_string("video/x-raw,format=BGRx");
        g_object_set(m_sink, "caps", caps, "sync", FALSE, nullptr);
        gst_caps_unref(caps);
        gst_bin_add_many(GST_BIN(m_pipeline), source, convert, m_sink, nullptr);
        gst_element_link_many(source, convert, m_sink, nullptr);
        m_started = gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    }
    ~CameraRun()
    {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
    bool Started() const { return m_started; }

    // The stamp of the next frame, or -2 when no frame comes within two seconds.
    int NextStamp(int *width = nullptr, int *height = nullptr)
    {
        GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink), 2 * GST_SECOND);
        if (!sample)
            return -2;
        GstVideoInfoLite info = infoOf(sample);
        GstMapInfo map;
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        gst_buffer_map(buffer, &map, GST_MAP_READ);
        const int stamp = ReadFrameStamp(map.data, info.width, info.height, info.width * 4);
        gst_buffer_unmap(buffer, &map);
        gst_sample_unref(sample);
        if (width)
            *width = info.width;
        if (height)
            *height = info.height;
        return stamp;
    }

private:
    struct GstVideoInfoLite { int width = 0, height = 0; };
    static GstVideoInfoLite infoOf(GstSample *sample)
    {
        GstVideoInfoLite info;
        GstStructure *s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
        gst_structure_get_int(s, "width", &info.width);
        gst_structure_get_int(s, "height", &info.height);
        return info;
    }

    GstElement *m_pipeline;
    GstElement *m_sink;
    bool m_started = false;
};

TEST_F(VirtualDevices, CameraGivesItsSizeAndCountingStamps)
{
    for (const char *format : {"YUY2", "I420", "BGRx"}) {
        const std::string spec = std::string("video:Cam:320x240@30:format=") + format;
        DeviceList devices = Probe(spec.c_str());
        ASSERT_NE(devices.get(), nullptr);
        CameraRun run(GST_DEVICE(devices.get()->data));
        ASSERT_TRUE(run.Started());
        int width = 0, height = 0;
        std::vector<int> stamps;
        for (int i = 0; i < 3; ++i)
            stamps.push_back(run.NextStamp(&width, &height));
        EXPECT_EQ(width, 320) << format;
        EXPECT_EQ(height, 240) << format;
        EXPECT_EQ(stamps, (std::vector<int>{0, 1, 2})) << format;
    }
}

TEST_F(VirtualDevices, CameraStopsAfterFailAfterFrames)
{
    DeviceList devices = Probe("video:Cam:160x120@60:fail-after=3");
    CameraRun run(GST_DEVICE(devices.get()->data));
    ASSERT_TRUE(run.Started());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(run.NextStamp(), i);
    EXPECT_EQ(run.NextStamp(), -2);
}

TEST_F(VirtualDevices, CameraWithFailStartCannotStart)
{
    DeviceList devices = Probe("video:Cam:160x120@30:fail-start=1");
    CameraRun run(GST_DEVICE(devices.get()->data));
    EXPECT_FALSE(run.Started());
}

TEST_F(VirtualDevices, AudioInputIsALiveTone)
{
    DeviceList devices = Probe("audio:Mic");
    ASSERT_NE(devices.get(), nullptr);
    GstElement *element = gst_device_create_element(GST_DEVICE(devices.get()->data), nullptr);
    ASSERT_NE(element, nullptr);
    gboolean live = FALSE;
    g_object_get(element, "is-live", &live, nullptr);
    EXPECT_TRUE(live);
    gst_object_unref(gst_object_ref_sink(element));
}

} // namespace
