#include "toolkit/Exception.h"

#include <cerrno>

namespace toolkit {

Exception::Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

EInOutError::EInOutError(int code, QString message) : Exception(std::move(message)), m_code(code) {}

EInOutError EInOutError::fromCode(int code)
{
    switch (code) {
    case 2:
        return EInOutError(code, QStringLiteral("File not found"));
    case 3:
        return EInOutError(code, QStringLiteral("Invalid filename"));
    case 4:
        return EInOutError(code, QStringLiteral("Too many open files"));
    case 5:
        return EInOutError(code, QStringLiteral("File access denied"));
    case 100:
        return EInOutError(code, QStringLiteral("Read beyond end of file"));
    case 101:
        return EInOutError(code, QStringLiteral("Disk full"));
    case 106:
        return EInOutError(code, QStringLiteral("Invalid numeric input"));
    default:
        return EInOutError(code, QStringLiteral("I/O error %1").arg(code));
    }
}

EInOutError EInOutError::fromErrno(int err)
{
    // Only these system errors stand for the game's named codes. Any other errno is reported
    // with its own number, even where that number happens to equal a named code (EIO is 5).
    switch (err) {
    case ENOENT:
        return fromCode(2);
    case ENAMETOOLONG:
        return fromCode(3);
    case EMFILE:
    case ENFILE:
        return fromCode(4);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return fromCode(5);
    case ENOSPC:
    case EDQUOT:
        return fromCode(101);
    default:
        return EInOutError(err, QStringLiteral("I/O error %1").arg(err));
    }
}

} // namespace toolkit
