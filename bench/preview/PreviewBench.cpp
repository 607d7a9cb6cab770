// The preview path: a virtual camera's frames delivered to the main window's
// SampleBufferReady (copy into the preview, caption, label, repaint), counted
// over a fixed time. Prints frames per second, CPU seconds per frame and peak
// memory for each camera size.
#include "bench/support/Usage.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>

namespace {

struct Result {
    double fps;
    double cpuPerFrame;
    double peakMiB;
};

Result Measure(const char *devices, int seconds)
{
    qputenv("FRAMETIDE_TEST_DEVICES", devices);
    TForm1 form;
    long long frames = 0;
    auto repaint = form.Image1->Bitmap.OnChange;
    form.Image1->Bitmap.OnChange = [&] {
        repaint();
        ++frames;
    };
    form.show();
    form.FormShow(&form);

    // Let the camera settle before counting.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    const long long firstFrames = frames;
    const ProcessUsage before = ReadProcessUsage();
    clock.restart();
    while (clock.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const ProcessUsage after = ReadProcessUsage();
    const double elapsed = clock.elapsed() / 1000.0;
    const long long counted = frames - firstFrames;
    form.VideoCamera->StopCapture();
    return {counted / elapsed, counted ? (after.cpuSeconds - before.cpuSeconds) / counted : 0, after.peakRssMiB};
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::stoi(argv[1]) : 10;
    const char *size = argc > 2 ? argv[2] : "1920x1080";
    QApplication app(argc, argv);
    const std::string devices = std::string("video:Camera:") + size + "@30;audio:Mic";
    const Result r = Measure(devices.c_str(), seconds);
    std::printf("| %-9s | camera fps | preview fps | CPU s/frame | peak MiB |\n", "size");
    std::printf("|-----------|-----------:|------------:|------------:|---------:|\n");
    std::printf("| %-9s | %10d | %11.1f | %11.4f | %8.0f |\n", size, 30, r.fps, r.cpuPerFrame, r.peakMiB);
    return 0;
}
