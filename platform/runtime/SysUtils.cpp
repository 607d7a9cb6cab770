// The runtime's texts for system errors.
#include "platform/runtime/SysUtils.h"

#include <cstring>

QString SysErrorMessage(int error)
{
    QString text = QString::fromLocal8Bit(std::strerror(error));
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'.'))
        text.chop(1);
    return text;
}
