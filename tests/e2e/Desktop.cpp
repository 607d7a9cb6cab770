// The end-to-end fixture: Xvfb, the program, xdotool.
#include "tests/e2e/Desktop.h"

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

// Main window controls, in client coordinates (the options panel starts at x 704).
constexpr int kPanelLeft = 704;
constexpr int kVideoListLeft = kPanelLeft + 12;
constexpr int kVideoListTop = 32;
constexpr int kListRowHeight = 14; // measured on Xvfb with the default font

std::vector<std::string> MergedEnvironment(const std::vector<std::string> &extra)
{
    std::map<std::string, std::string> variables;
    for (char **entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        variables[text.substr(0, text.find('='))] = text;
    }
    for (const std::string &text : extra)
        variables[text.substr(0, text.find('='))] = text;
    std::vector<std::string> merged;
    for (const auto &[name, text] : variables)
        merged.push_back(text);
    return merged;
}

pid_t Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv,
            posix_spawn_file_actions_t *actions)
{
    std::vector<std::string> env = MergedEnvironment(extraEnv);
    std::vector<char *> args, envp;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &text : env)
        envp.push_back(const_cast<char *>(text.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0)
        return -1;
    return pid;
}

std::vector<std::string> Words(const std::string &text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv, int fd3,
                           const std::string &logFile)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!logFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    if (fd3 >= 0)
        posix_spawn_file_actions_adddup2(&actions, fd3, 3);
    m_pid = Spawn(argv, extraEnv, &actions);
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::ChildProcess(ChildProcess &&other) noexcept : m_pid(other.m_pid), m_status(other.m_status)
{
    other.m_pid = -1;
}

ChildProcess &ChildProcess::operator=(ChildProcess &&other) noexcept
{
    if (this != &other) {
        Kill(SIGKILL);
        m_pid = other.m_pid;
        m_status = other.m_status;
        other.m_pid = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    Kill(SIGKILL);
}

bool ChildProcess::Running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == 0)
        return true;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return false;
}

int ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_status;
}

void ChildProcess::Kill(int signal)
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, signal);
    if (signal == SIGKILL) {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

void ChildProcess::Terminate(std::chrono::milliseconds timeout)
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    if (Wait(timeout) < 0)
        Kill(SIGKILL);
}

void Desktop::SetUp()
{
    static QTemporaryDir homes;
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // A home folder with blanks and non-ASCII letters in its path, as users have.
    home = homes.path().toStdString() + "/" + test + " Bildschirmfotos äö";
    pictures = home + "/Pictures";
    output = pictures + "/Frametide";
    QDir().mkpath(QString::fromStdString(pictures));
    m_artifacts = FRAMETIDE_TEST_ARTIFACTS;
    QDir().mkpath(QString::fromStdString(m_artifacts));

    // A server that lost its display to another one going away at that moment
    // ends at once: start another.
    for (int attempt = 0; attempt < 3 && m_display.empty(); ++attempt)
        m_display = StartDisplay();
    ASSERT_FALSE(m_display.empty()) << "no virtual display would start";
    ::setenv("DISPLAY", m_display.c_str(), 1);
}

std::string Desktop::StartDisplay()
{
    // Xvfb picks a free display and writes its number to descriptor 3.
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    m_xserver = ChildProcess({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"}, {},
                             fds[1]);
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (number.empty())
        return {};
    const std::string display = ":" + number;
    // The number comes as the server starts; it is ours once it takes clients and still runs.
    const bool ready = WaitUntil(
        [&] {
            return media_oracle::RunCommand({"env", "DISPLAY=" + display, "xdotool", "getdisplaygeometry"}).exitCode ==
                   0;
        },
        std::chrono::seconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!ready || !m_xserver.Running()) {
        m_xserver.Terminate(std::chrono::seconds(2));
        return {};
    }
    return display;
}

void Desktop::TearDown()
{
    if (program.Running())
        Screenshot("last");
    program = ChildProcess();
    // Ended the polite way, so that it removes its lock and socket for the next server.
    m_xserver.Terminate(std::chrono::seconds(5));
}

void Desktop::Launch(const std::string &devices, const std::vector<std::string> &extraEnv,
                     const std::vector<std::string> &wrapper)
{
    std::vector<std::string> env = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                    "FRAMETIDE_TEST_DEVICES=" + devices, "QT_QPA_PLATFORM=xcb",
                                    "DISPLAY=" + m_display};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<std::string> argv = wrapper;
    argv.push_back(FRAMETIDE_PROGRAM);
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    program = ChildProcess(argv, env, -1, m_artifacts + "/" + test + ".log");
    ASSERT_GT(program.Pid(), 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string &id : Words(Xdo({"search", "--onlyvisible", "--pid", std::to_string(program.Pid()),
                                                   "--name", "^(Form1|Video Size: .*)$"})))
                mainWindow = id;
            return !mainWindow.empty();
        },
        std::chrono::seconds(20)))
        << "no main window";
}

std::string Desktop::Xdo(const std::vector<std::string> &args) const
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return media_oracle::RunCommand(argv).out;
}

std::string Desktop::WindowName() const
{
    std::string name = Xdo({"getwindowname", mainWindow});
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
        name.pop_back();
    return name;
}

bool Desktop::WaitForWindowName(const std::string &name, std::chrono::milliseconds timeout)
{
    return WaitUntil([&] { return WindowName() == name; }, timeout);
}

void Desktop::ClickAt(int x, int y)
{
    Xdo({"mousemove", "--window", mainWindow, std::to_string(x), std::to_string(y), "click", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

std::string Desktop::WaitForMessageBox(std::chrono::milliseconds timeout)
{
    std::string box;
    WaitUntil(
        [&] {
            for (const std::string &id :
                 Words(Xdo({"search", "--onlyvisible", "--pid", std::to_string(program.Pid()), "--name", ".*"})))
                // Qt names a window with an empty title after the program.
                if (id != mainWindow && Xdo({"getwindowname", id}) == "Frametide\n")
                    box = id;
            return !box.empty();
        },
        timeout);
    return box;
}

std::string Desktop::ReadMessageBox(const std::string &box)
{
    // A triple click selects the message's line into the primary selection.
    Xdo({"mousemove", "--window", box, "40", "18", "click", "--repeat", "3", "--delay", "60", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string text = media_oracle::RunCommand({"xclip", "-o", "-selection", "primary"}).out;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

void Desktop::CloseMessageBox(const std::string &box)
{
    Xdo({"windowfocus", "--sync", box});
    Xdo({"key", "--clearmodifiers", "Return"});
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

void Desktop::CloseMainWindow()
{
    media_oracle::RunCommand({FRAMETIDE_CLOSE_WINDOW, mainWindow});
}

void Desktop::Screenshot(const std::string &name) const
{
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    media_oracle::RunCommand({"import", "-display", m_display, "-window", "root",
                              m_artifacts + "/" + test + "-" + name + ".png"});
}

void Desktop::ClickCamera(int row)
{
    ClickAt(kVideoListLeft + 60, kVideoListTop + 1 + kListRowHeight * row + kListRowHeight / 2);
}

void Desktop::ChooseVideo()
{
    ClickAt(kPanelLeft + 32 + 8, 224 + 9);
}

void Desktop::ChoosePhoto()
{
    ClickAt(kPanelLeft + 32 + 8, 200 + 9);
}

void Desktop::PressShot()
{
    ClickAt(kPanelLeft + 16 + 100, 464 + 28);
}

bool Desktop::WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::vector<std::string> Desktop::OutputFiles(const std::string &suffix) const
{
    std::vector<std::string> files;
    for (const QString &name : QDir(QString::fromStdString(output)).entryList(QDir::Files, QDir::Name))
        if (name.endsWith(QString::fromStdString(suffix)))
            files.push_back(output + "/" + name.toStdString());
    return files;
}
