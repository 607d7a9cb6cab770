// ShowMessage: the modal notice box with one OK button.
#pragma once

#include <QString>

// Shows Msg in a modal box (empty title, no icon, one OK) owned by the active
// window, and returns when the user has closed it.
void ShowMessage(const QString &Msg);
