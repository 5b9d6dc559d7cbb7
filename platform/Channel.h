#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace platform {

// One end of a connected local socket between the game and its help viewer, spoken over without
// ever waiting for the other side. Bytes written go out as far as the socket takes them at once;
// the rest waits here and goes out whenever the socket has room, so a peer that stops reading
// never stalls this one. Writing never raises SIGPIPE.
class Channel : public QObject {
    Q_OBJECT

public:
    // Whether the descriptor is a stream socket; if not, errno says why.
    static bool isConnection(int descriptor);

    // Takes over the descriptor, a connected stream socket, and makes it non-blocking. The
    // channel must not be deleted from its own signals: deleteLater() it there.
    explicit Channel(int descriptor, QObject *parent = nullptr);
    ~Channel() override;

    bool isOpen() const { return m_descriptor >= 0; }

    // Everything received since the last call.
    QByteArray readAll();
    void write(const QByteArray &bytes);

    // Closes the socket at once and drops whatever was not yet sent or read; ended is not
    // emitted.
    void abort();

signals:
    // Bytes have arrived; readAll() takes them.
    void readyRead();
    // The other side closed the socket or it failed; the socket is closed.
    void ended();

private:
    void receive();
    void flush();
    void fail();

    int m_descriptor = -1;
    QSocketNotifier *m_reading = nullptr;
    QSocketNotifier *m_writing = nullptr;
    QByteArray m_incoming;
    QByteArray m_outgoing;
};

} // namespace platform
