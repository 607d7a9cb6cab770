// The runtime's exception classes: every failure the framework or the runtime
// reports is an Exception carrying a message for the user.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(const QString &message) : m_message(message), m_utf8(message.toUtf8()) {}

    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The system's text for an errno value, without trailing blanks or dots, as
// messages quote it.
QString SysErrorMessage(int error);

// An I/O failure with the Windows error code the runtime reports.
class EInOutError : public Exception {
public:
    EInOutError(int errorCode, const QString &message) : Exception(message), ErrorCode(errorCode) {}

    int ErrorCode;
};
