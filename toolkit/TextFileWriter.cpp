#include "toolkit/TextFileWriter.h"

#include "toolkit/CodePage.h"
#include "toolkit/Exception.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

namespace {

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QByteArray directoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

TextFileWriter::TextFileWriter(const QString &fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw EInOutError::fromErrno(errno);
    if (exists) {
        if (!S_ISREG(st.st_mode))
            throw EInOutError::fromCode(5);
        // A read-only file stays read-only for the game, even for root.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw EInOutError::fromCode(5);
        if (::access(name.constData(), W_OK) != 0)
            throw EInOutError::fromErrno(errno);
    }

    // Through a symbolic link, the file it names is the one replaced.
    m_target = name;
    if (exists) {
        char resolved[PATH_MAX];
        if (::realpath(name.constData(), resolved))
            m_target = QByteArray(resolved);
    }

    QByteArray pattern = directoryOf(m_target) + '/' + '.' + baseNameOf(m_target) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
        m_fd = fd;
        m_temporary = pattern;
        const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~currentUmask());
        if (::fchmod(m_fd, mode) != 0) {
            const int err = errno;
            discard();
            throw EInOutError::fromErrno(err);
        }
        if (exists && ::geteuid() == 0) [[maybe_unused]]
            const int ignored = ::fchown(m_fd, st.st_uid, st.st_gid);
        return;
    }
    if (errno != EACCES && errno != EPERM && errno != EROFS)
        throw EInOutError::fromErrno(errno);

    // No temporary file can be made beside it: rewrite the file where it is.
    m_fd =
        ::open(m_target.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (m_fd < 0)
        throw EInOutError::fromErrno(errno);
}

TextFileWriter::~TextFileWriter()
{
    discard();
}

void TextFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}

void TextFileWriter::writeAll(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(m_fd, data, size_t(left));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError::fromErrno(errno);
        }
        data += done;
        left -= done;
    }
}

void TextFileWriter::writeLine(const QString &text)
{
    if (m_fd < 0)
        throw EInOutError::fromCode(103);
    writeAll(CodePage::encode(text) + "\r\n");
}

void TextFileWriter::close()
{
    if (m_fd < 0)
        throw EInOutError::fromCode(103);
    if (::fsync(m_fd) != 0)
        throw EInOutError::fromErrno(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw EInOutError::fromErrno(errno);
    if (m_temporary.isEmpty())
        return;
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        throw EInOutError::fromErrno(errno);
    m_temporary.clear();
    // The new name reaches the disk too.
    const int dir = ::open(directoryOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace toolkit
