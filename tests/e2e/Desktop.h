// End-to-end tests: the real program on a virtual X display, with its own home
// folder and virtual devices, driven with xdotool as a user would.
#pragma once

#include "tests/support/MediaOracle.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// A child process that is killed when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    // extraEnv entries (NAME=value) override the test's environment; a
    // descriptor in fd3 is handed to the child as its descriptor 3.
    ChildProcess(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv = {}, int fd3 = -1,
                 const std::string &logFile = {});
    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&other) noexcept;
    ~ChildProcess();

    pid_t Pid() const { return m_pid; }
    bool Running();
    // Waits for the exit; the exit status, or -1 (killed, or still running at the timeout).
    int Wait(std::chrono::milliseconds timeout);
    void Kill(int signal);
    // Asks the process to end (SIGTERM), and kills it if it has not within the timeout.
    void Terminate(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

class Desktop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Frametide with the given virtual devices and waits for its main
    // window; wrapper, if given, runs before it (prlimit, setpriv ...).
    void Launch(const std::string &devices, const std::vector<std::string> &extraEnv = {},
                const std::vector<std::string> &wrapper = {});

    // xdotool with the given arguments; its standard output.
    std::string Xdo(const std::vector<std::string> &args) const;
    std::string WindowName() const;
    bool WaitForWindowName(const std::string &name, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Clicks at a point given in the main window's client coordinates.
    void ClickAt(int x, int y);
    // The other top-level window of the program (a message box), or "" after the timeout.
    std::string WaitForMessageBox(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The text of a message box, read as a user would copy it: selected with the mouse.
    std::string ReadMessageBox(const std::string &box);
    void CloseMessageBox(const std::string &box);
    void CloseMainWindow();
    void Screenshot(const std::string &name) const;

    // Controls, at their layout positions.
    void ClickCamera(int row);
    void ChooseVideo();
    void ChoosePhoto();
    void PressShot();

    static bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout);
    std::vector<std::string> OutputFiles(const std::string &suffix) const;

    std::string home;
    std::string pictures;
    std::string output; // pictures + "/Frametide"
    ChildProcess program;
    std::string mainWindow;

private:
    // Starts Xvfb on a free display; the display's name, or "" when it did not come up.
    std::string StartDisplay();

    std::string m_display;
    ChildProcess m_xserver;
    std::string m_artifacts;
};
