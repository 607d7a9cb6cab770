// The application object over QApplication.
#include "platform/gui/Application.h"

#include <QTimer>


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
    const int status = QApplication::exec();
    mainForm.reset();
    if (m_clearMainForm)
        m_clearMainForm();
    // The framework goes with the event loop, not at static destruction,
    // when parts of it may already be gone.
    m_app.reset();
    return status;
}

namespace {

// Ends the event loop once no modal box is up, so that a box opened after the
// request still waits for the user.
void ExitWhenNoBoxIsUp()
{
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(50, qApp, ExitWhenNoBoxIsUp);
        return;
    }
    QCoreApplication::exit(0);
}

} // namespace

void TApplication::Terminate()
{
    m_terminated = true;
    // Posted, as the platform does: the caller finishes its handler first.
    if (qApp)
        QTimer::singleShot(0, qApp, ExitWhenNoBoxIsUp);
}
