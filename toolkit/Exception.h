#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace toolkit {

// The base of every error a handler may raise. The handler guard catches it and shows its
// message in the error box; nothing else may leave a handler.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that does not hold an integer.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A failed file operation, with the error code the game's messages are chosen by.
class EInOutError : public Exception {
public:
    EInOutError(int code, QString message);

    // The error for a failed system call: its errno mapped to the game's codes and messages.
    static EInOutError fromErrno(int err);
    // The error for one of the game's own codes (2, 3, 4, 5, 100, 101, 106, ...).
    static EInOutError fromCode(int code);

    int code() const { return m_code; }

private:
    int m_code;
};

} // namespace toolkit
