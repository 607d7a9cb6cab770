// The application object over QApplication.
#include "platform/gui/Application.h"


TApplication Application;

namespace {
int g_argc = 1;
char g_programName[] = "Frametide";
char *g_argv[] = {g_programName, nullptr};
} // namespace

TApplication::TApplication() = default;
TApplication::~TApplication() = default;

void TApplication::Initialize()
{
    if (!m_app && !QApplication::instance())
        m_app = std::make_unique<QApplication>(g_argc, g_argv);
}

int TApplication::Run()
{
    Initialize();
    std::unique_ptr<QWidget> mainForm(m_makeMainForm ? m_makeMainForm() : nullptr);
    if (!mainForm)
        return 0;
    QApplication::setQuitOnLastWindowClosed(true);
    mainForm->show();
    int status = 0;
    if (!m_terminated) {
        // A loop of our own, so that Terminate ends it without closing a box that is still up.
        QEventLoop mainLoop;
        m_mainLoop = &mainLoop;
        status = mainLoop.exec();
        m_mainLoop = nullptr;
    }
    mainForm.reset();
    if (m_clearMainForm)
        m_clearMainForm();
    return status;
}

void TApplication::Terminate()
{
    m_terminated = true;
    // Posted, as the platform does: the caller and any box it opens finish first.
    if (m_mainLoop)
        QMetaObject::invokeMethod(m_mainLoop, [loop = m_mainLoop] { loop->exit(0); }, Qt::QueuedConnection);
}
