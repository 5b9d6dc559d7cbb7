#include "toolkit/TextFileReader.h"

#include "toolkit/CodePage.h"
#include "toolkit/Exception.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

namespace {

constexpr char CR = 13;
constexpr char LF = 10;
constexpr char CtrlZ = 26;
constexpr qsizetype ChunkSize = 64 * 1024;

} // namespace

TextFileReader::TextFileReader(const QString &fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    // Anything but a regular file is refused before it is opened: a socket cannot be opened at
    // all, and opening a device may have effects of its own.
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EInOutError::fromCode(5);
    // Without blocking, so a FIFO put in its place meanwhile cannot hang the game either.
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw EInOutError::fromErrno(errno);
    if (::fstat(m_fd, &st) != 0) {
        const int err = errno;
        ::close(m_fd);
        m_fd = -1;
        throw EInOutError::fromErrno(err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw EInOutError::fromCode(5);
    }
    if (st.st_size > largestFile) {
        ::close(m_fd);
        m_fd = -1;
        throw EInOutError::fromErrno(EFBIG);
    }
}

TextFileReader::~TextFileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int TextFileReader::peek()
{
    if (m_end)
        return -1;
    if (m_pos == m_buffer.size()) {
        m_buffer.resize(ChunkSize);
        ssize_t got;
        do {
            got = ::read(m_fd, m_buffer.data(), size_t(ChunkSize));
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            const int err = errno;
            m_buffer.clear();
            m_pos = 0;
            throw EInOutError::fromErrno(err);
        }
        m_read += got;
        if (m_read > largestFile) {
            m_buffer.clear();
            m_pos = 0;
            throw EInOutError::fromErrno(EFBIG);
        }
        m_buffer.resize(got);
        m_pos = 0;
        if (got == 0) {
            m_end = true;
            return -1;
        }
    }
    const char byte = m_buffer.at(m_pos);
    if (byte == CtrlZ) {
        m_end = true;
        return -1;
    }
    return static_cast<unsigned char>(byte);
}

QString TextFileReader::readLine()
{
    // Decoded a piece at a time, so a long line is held only once, as text.
    QString line;
    for (;;) {
        const int byte = peek();
        if (byte < 0)
            break;
        if (byte == CR) {
            ++m_pos;
            if (peek() == LF)
                ++m_pos;
            break;
        }
        // The rest of the line within what has been read, at once.
        qsizetype end = m_pos + 1;
        while (end < m_buffer.size() && m_buffer.at(end) != CR && m_buffer.at(end) != CtrlZ)
            ++end;
        line.append(CodePage::decode(QByteArrayView(m_buffer).sliced(m_pos, end - m_pos)));
        m_pos = end;
    }
    return line;
}

void TextFileReader::close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw EInOutError::fromErrno(errno);
}

} // namespace toolkit
