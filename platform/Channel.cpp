#include "platform/Channel.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace platform {

namespace {

bool retry()
{
    return errno == EINTR;
}

bool full()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

} // namespace

bool Channel::isConnection(int descriptor)
{
    int type = 0;
    socklen_t size = sizeof type;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &size) != 0)
        return false;
    if (type != SOCK_STREAM) {
        errno = EPROTOTYPE;
        return false;
    }
    return true;
}

Channel::Channel(int descriptor, QObject *parent) : QObject(parent), m_descriptor(descriptor)
{
    ::fcntl(m_descriptor, F_SETFL, ::fcntl(m_descriptor, F_GETFL) | O_NONBLOCK);
    m_reading = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_reading, &QSocketNotifier::activated, this, &Channel::receive);
    // Watched only while something waits to be sent.
    m_writing = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writing->setEnabled(false);
    connect(m_writing, &QSocketNotifier::activated, this, &Channel::flush);
}

Channel::~Channel()
{
    abort();
}

QByteArray Channel::readAll()
{
    return std::exchange(m_incoming, QByteArray());
}

void Channel::write(const QByteArray &bytes)
{
    if (!isOpen())
        return;
    const bool waiting = !m_outgoing.isEmpty();
    m_outgoing += bytes;
    // Bytes already waiting go out first, when the socket has room.
    if (!waiting)
        flush();
}

void Channel::abort()
{
    if (!isOpen())
        return;
    // The notifiers let go of the descriptor before it is closed, as its number may be given to
    // the next file opened. One of them may be the sender of the signal being handled.
    for (QSocketNotifier *notifier : {m_reading, m_writing}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_reading = nullptr;
    m_writing = nullptr;
    ::close(m_descriptor);
    m_descriptor = -1;
    m_incoming.clear();
    m_outgoing.clear();
}

void Channel::receive()
{
    if (!isOpen())
        return;
    // At most 1 MiB a turn, so that a peer that writes without end cannot hold up the event loop;
    // the notifier fires again for the rest.
    bool received = false;
    bool closed = false;
    char chunk[64 * 1024];
    for (int turn = 0; turn < 16 && !closed;) {
        const ssize_t got = ::read(m_descriptor, chunk, sizeof chunk);
        if (got > 0) {
            m_incoming.append(chunk, got);
            received = true;
            ++turn;
        } else if (got < 0 && retry()) {
            continue;
        } else if (got < 0 && full()) {
            break;
        } else {
            closed = true;
        }
    }
    // What arrived before the end is handed over first.
    if (received)
        emit readyRead();
    if (closed)
        fail();
}

void Channel::flush()
{
    if (!isOpen())
        return;
    qsizetype sent = 0;
    while (sent < m_outgoing.size()) {
        const ssize_t put = ::send(m_descriptor, m_outgoing.constData() + sent,
                                   std::size_t(m_outgoing.size() - sent), MSG_NOSIGNAL);
        if (put > 0) {
            sent += put;
        } else if (put < 0 && retry()) {
            continue;
        } else if (put < 0 && full()) {
            break;
        } else {
            // The peer is gone. That is reported from the event loop, never from within write().
            m_outgoing.clear();
            m_writing->setEnabled(false);
            QMetaObject::invokeMethod(this, &Channel::fail, Qt::QueuedConnection);
            return;
        }
    }
    m_outgoing.remove(0, sent);
    m_writing->setEnabled(!m_outgoing.isEmpty());
}

void Channel::fail()
{
    if (!isOpen())
        return;
    abort();
    emit ended();
}

} // namespace platform
