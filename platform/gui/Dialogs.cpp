// The modal notice box.
#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessage(const QString &Msg)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), Msg, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
