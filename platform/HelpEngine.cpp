#include "platform/HelpEngine.h"

#include "platform/Channel.h"
#include "platform/HelpProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

QString viewerProgram()
{
    const QString named = qEnvironmentVariable("ZAKRYTKA_HELP_VIEWER");
    if (!named.isEmpty())
        return named;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zakrytka-help"));
}

void complain(const QString &message)
{
    std::fprintf(stderr, "zakrytka: %s\n", qPrintable(message));
}

} // namespace

HelpViewer &HelpViewer::instance()
{
    static HelpViewer *viewer = new HelpViewer;
    return *viewer;
}

HelpViewer::HelpViewer()
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &HelpViewer::giveUp);
}

bool HelpViewer::request(const QString &path, quint16 command, quint32 data)
{
    if (!m_channel && !start())
        return false;
    m_channel->write(helpprotocol::encode(command, data, path));
    if (m_unanswered++ == 0)
        m_timeout.start(m_started ? AnswerTimeoutMs : StartTimeoutMs);
    return true;
}

bool HelpViewer::start()
{
    const QString program = viewerProgram();
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        complain(QStringLiteral("cannot start the help viewer: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    // The viewer's end is the one descriptor it inherits from the game.
    ::fcntl(ends[1], F_SETFD, 0);
    QProcess process;
    process.setProgram(program);
    process.setArguments(
        {QString::fromLatin1(helpprotocol::ConnectionOption), QString::number(ends[1])});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    // Started apart from the game, so that the help window outlives it.
    const bool started = process.startDetached(&m_pid);
    ::close(ends[1]);
    if (!started) {
        ::close(ends[0]);
        m_pid = 0;
        complain(QStringLiteral("cannot start the help viewer %1: %2")
                     .arg(program, QFileInfo::exists(program) ? process.errorString()
                                                              : QStringLiteral("no such file")));
        return false;
    }
    m_pidfd = int(::syscall(SYS_pidfd_open, pid_t(m_pid), 0));
    m_channel = new Channel(ends[0], this);
    connect(m_channel, &Channel::readyRead, this, &HelpViewer::receive);
    connect(m_channel, &Channel::ended, this, &HelpViewer::ended);
    return true;
}

void HelpViewer::receive()
{
    m_received += m_channel->readAll();
    bool shown = false;
    QString page;
    bool bad = false;
    while (m_channel && helpprotocol::decode(&m_received, &bad, shown, page)) {
        if (m_unanswered > 0)
            --m_unanswered;
        m_started = true;
        // Each answer gives the viewer a fresh while for the next call.
        if (m_unanswered == 0)
            m_timeout.stop();
        else
            m_timeout.start(AnswerTimeoutMs);
        emit answered(shown, page);
    }
    if (bad) {
        complain(QStringLiteral("the help viewer sent a message that cannot be read; it is ended"));
        end();
    }
}

void HelpViewer::giveUp()
{
    complain(QStringLiteral("the help viewer did not answer within %1 s; it is ended")
                 .arg((m_started ? AnswerTimeoutMs : StartTimeoutMs) / 1000));
    end();
}

void HelpViewer::ended()
{
    // The player closed the help window, which ends the viewer; anything else is a fault.
    if (m_unanswered > 0)
        complain(QStringLiteral("the help viewer ended without answering"));
    forget();
}

void HelpViewer::end()
{
    if (m_pidfd >= 0)
        ::syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0);
    else if (m_pid > 0)
        ::kill(pid_t(m_pid), SIGKILL);
    forget();
}

void HelpViewer::forget()
{
    if (m_channel) {
        m_channel->disconnect(this);
        m_channel->abort();
        m_channel->deleteLater();
        m_channel = nullptr;
    }
    if (m_pidfd >= 0) {
        ::close(m_pidfd);
        m_pidfd = -1;
    }
    m_pid = 0;
    m_unanswered = 0;
    m_started = false;
    m_received.clear();
    m_timeout.stop();
}

bool winHelp(QWidget *, const QString &file, quint16 command, quint32 data)
{
    if (file.isEmpty())
        return false;
    // The viewer finds the file where the game is at the moment of the call.
    const QString path = QDir::current().absoluteFilePath(file);
    if (!helpprotocol::isValidCall(command, data, path))
        return false;
    return HelpViewer::instance().request(path, command, data);
}

} // namespace platform
