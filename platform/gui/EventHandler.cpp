// The exception rule for window event handlers.
#include "platform/gui/EventHandler.h"

#include "platform/gui/Dialogs.h"
#include "platform/runtime/SysUtils.h"

#include <exception>

QString HandlerExceptionText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void RunEventHandler(const std::function<void()> &handler)
{
    QString message;
    try {
        handler();
        return;
    } catch (const Exception &e) {
        message = e.Message();
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown exception");
    }
    ShowMessage(HandlerExceptionText(message));
}
