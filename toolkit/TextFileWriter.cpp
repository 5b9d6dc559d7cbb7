#include "toolkit/TextFileWriter.h"

#include "toolkit/CodePage.h"
#include "toolkit/Exception.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
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

// The temporary files of a write are named "." + the file's name + Marker + six letters or digits
// (mkstemp's), a name no other program makes, so that the clean-up below never takes a file that
// is not the game's.
const QByteArray Marker = QByteArrayLiteral(".zakrytka-save-");

// A temporary file not written to for this long belongs to a write that can no longer finish:
// a write takes a moment, and a running one holds its lock besides.
constexpr time_t AbandonedAfterSeconds = 60 * 60;

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
// its name, an hour old, whose lock can be taken, as no running write holds it. Nothing else is
// touched, and a failure here is no failure of the write.
void removeLeftovers(const QByteArray &directory, const QByteArray &baseName)
{
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return;
    const QByteArray prefix = '.' + baseName + Marker;
    const time_t abandoned = ::time(nullptr) - AbandonedAfterSeconds;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name, prefix))
            continue;
        const QByteArray path = directory + '/' + name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < abandoned &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, path))
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
}

// Reads or writes (pread or pwrite) all the bytes at the offset; errno tells why when it fails.
template <typename Byte, typename Call>
bool wholeAt(Call call, int fd, Byte *data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t done = call(fd, data, size_t(size), offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            return false;
        }
        data += done;
        size -= done;
        offset += done;
    }
    return true;
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
        pattern = directoryOf(m_target) + '/' + '.' + baseNameOf(m_target) + Marker + "XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            break;
        // Locked until it has been renamed, so that another game's clean-up leaves it alone.
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

    // No temporary file can be made beside it: rewrite the file where it is, on close. It is
    // opened for reading too, to put the old bytes back should the write fail.
    m_fd = ::open(m_target.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (m_fd < 0)
        throw EInOutError::fromErrno(errno);
    m_writesInPlace = true;
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
    if (m_writesInPlace) {
        m_inPlace += bytes;
        return;
    }
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
    if (m_writesInPlace) {
        replaceInPlace();
        return;
    }
    if (::fsync(m_fd) != 0)
        throw EInOutError::fromErrno(errno);
    // Renamed while still open, and so locked: closed first, it could be taken for a killed
    // write's by another game's clean-up in the moment before the rename.
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        throw EInOutError::fromErrno(errno);
    m_temporary.clear();
    const int fd = m_fd;
    m_fd = -1;
    const bool closed = ::close(fd) == 0;
    const int err = errno;
    // The new name reaches the disk too.
    const int dir = ::open(directoryOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    if (!closed)
        throw EInOutError::fromErrno(err);
}

// The file is never emptied first. What goes past the old end is written first, so that a full
// disk or a file size limit fails before an old byte has changed; then the rest over the old
// bytes, then the file is cut to the new length. Should any of it fail, the old bytes are put
// back and the file cut to its old length.
void TextFileWriter::replaceInPlace()
{
    const int fd = m_fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw EInOutError::fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        throw EInOutError::fromCode(5);
    const QByteArray &text = m_inPlace;
    const qsizetype oldSize = qsizetype(st.st_size);
    const qsizetype overlap = std::min(oldSize, text.size());
    QByteArray old(overlap, Qt::Uninitialized);
    if (!wholeAt(::pread, fd, old.data(), overlap, 0))
        throw EInOutError::fromErrno(errno);
    bool overwritten = false;
    bool written =
        wholeAt(::pwrite, fd, text.constData() + overlap, text.size() - overlap, off_t(overlap));
    if (written) {
        overwritten = true;
        written = wholeAt(::pwrite, fd, text.constData(), overlap, 0) &&
                  (text.size() >= oldSize || ::ftruncate(fd, off_t(text.size())) == 0) &&
                  ::fsync(fd) == 0;
    }
    if (!written) {
        const int err = errno;
        if (overwritten)
            wholeAt(::pwrite, fd, old.constData(), overlap, 0);
        if (::ftruncate(fd, off_t(oldSize)) == 0)
            ::fsync(fd);
        throw EInOutError::fromErrno(err);
    }
    m_fd = -1;
    if (::close(fd) != 0)
        throw EInOutError::fromErrno(errno);
}

} // namespace toolkit
