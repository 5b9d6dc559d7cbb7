#include "toolkit/TextFileWriter.h"

#include "toolkit/CodePage.h"
#include "toolkit/Exception.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// The temporary files of a write are named "." + the file's name + "." + six letters or digits.
bool isTemporaryName(const QByteArray &name, const QByteArray &prefix)
{
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char c = name.at(i);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Whether the open file fd is still the one the path names.
bool stillNamed(int fd, const QByteArray &path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Removes what writes of the file left behind when their program was killed: temporary files of
// its name whose lock can be taken, as no running write holds it. Nothing else is touched, and a
// failure here is no failure of the write.
void removeLeftovers(const QByteArray &directory, const QByteArray &baseName)
{
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return;
    const QByteArray prefix = '.' + baseName + '.';
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name, prefix))
            continue;
        const QByteArray path = directory + '/' + name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            stillNamed(fd, path))
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
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

    removeLeftovers(directoryOf(m_target), baseNameOf(m_target));
    int fd = -1;
    QByteArray pattern;
    for (;;) {
        pattern = directoryOf(m_target) + '/' + '.' + baseNameOf(m_target) + ".XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            break;
        // Locked for as long as it is written, so that another game's clean-up leaves it alone.
        // That clean-up may have taken it in the moment before the lock: then it is gone, and a
        // fresh one is made.
        // Where the file system has no locks, no clean-up can take it either.
        if (::flock(fd, LOCK_EX) != 0 || stillNamed(fd, pattern))
            break;
        ::close(fd);
    }
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
    // A piece at a time, so a long line is never held twice.
    constexpr qsizetype Piece = 64 * 1024;
    for (qsizetype at = 0; at < text.size(); at += Piece)
        writeAll(CodePage::encode(QStringView(text).sliced(at, std::min(Piece, text.size() - at))));
    writeAll(QByteArrayLiteral("\r\n"));
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
