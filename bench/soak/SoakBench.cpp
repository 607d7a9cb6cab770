// A long session in one run: 1,000 photos and 50 short recordings through the
// main window, with the process's memory read along the way. Memory should
// stay flat: what the first rounds needed is all the rest need.
#include "bench/support/Usage.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// The resident set now, in MiB.
double ResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    QDir().mkpath(home.path() + "/Pictures");
    qputenv("FRAMETIDE_TEST_DEVICES", "video:Camera:640x480@30;audio:Mic");

    // Every box the window opens ("Method Succeeded" at each stop) is closed at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                box->done(QMessageBox::Ok);
    });
    closer.start(10);

    TForm1 form;
    form.show();
    form.FormShow(&form);
    Pump(1000);

    std::printf("| %6s | %6s | %12s | %12s |\n", "photos", "movies", "resident MiB", "peak MiB");
    std::printf("|-------:|-------:|-------------:|-------------:|\n");
    for (int round = 1; round <= 50; ++round) {
        form.PhotoMedia->click();
        for (int shot = 0; shot < 20; ++shot)
            form.Button1->click();
        form.VideoMedia->click();
        form.Button1->click();
        Pump(300);
        form.Button1->click();
        if (round == 5 || round % 10 == 0)
            std::printf("| %6d | %6d | %12.1f | %12.1f |\n", round * 20, round, ResidentMiB(),
                        ReadProcessUsage().peakRssMiB);
    }
    const QString output = home.path() + "/Pictures/Frametide";
    std::printf("\nfiles: %lld photos, %lld movies\n",
                static_cast<long long>(QDir(output).entryList({"*.JPG"}, QDir::Files).size()),
                static_cast<long long>(QDir(output).entryList({"*.avi"}, QDir::Files).size()));
    return 0;
}
