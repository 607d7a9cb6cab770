// Runs a window event handler the way the event loop does: an exception that
// leaves the handler ends only that handler; its message is shown and the
// program runs on.
#pragma once

#include <QString>

#include <functional>

// The text shown for an exception's message: a "." is added when the last
// character's code is above that of ".".
QString HandlerExceptionText(const QString &message);

// Calls handler; an exception leaving it is shown with ShowMessage.
void RunEventHandler(const std::function<void()> &handler);
