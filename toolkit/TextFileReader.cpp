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
    QByteArray line;
    for (;;) {
        const int byte = peek();
        if (byte < 0)
            break;
        ++m_pos;
        if (byte == CR) {
            if (peek() == LF)
                ++m_pos;
            break;
        }
        line.append(char(byte));
    }
    return CodePage::decode(line);
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
