#pragma once

#include "platform/HelpProtocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

namespace platform {

class Channel;

using helpprotocol::HELP_CONTENTS;
using helpprotocol::HELP_CONTEXT;

// Stands in for the platform's help engine: hands the call to the help viewer, which shows the
// help file in a window of its own and stays open when the game ends. The file is a bare file
// name, found in the current directory at the moment of the call; the viewer reads it afresh at
// every call and reports a missing or invalid file in its window. Returns at once, without
// waiting for the viewer: true once the call is on its way, false, and nothing is shown, for
// a call that helpprotocol::isValidCall refuses (its path made absolute) and when the viewer
// cannot be started. The window argument is not used: the help window belongs to no
// window of the game.
bool winHelp(QWidget *window, const QString &file, quint16 command, quint32 data);

// The game's side of its help viewer. The first call starts the viewer; later calls go to the
// same viewer and window. A viewer that leaves a call unanswered for AnswerTimeoutMs (a new one,
// which must start first, for StartTimeoutMs) is ended, and the next call starts a new one. The
// viewer is the program zakrytka-help beside the game's executable, or the one the environment
// variable ZAKRYTKA_HELP_VIEWER names.
class HelpViewer : public QObject {
    Q_OBJECT

public:
    static constexpr int AnswerTimeoutMs = 5000;
    static constexpr int StartTimeoutMs = 10000;

    static HelpViewer &instance();

    // Sends the help call to the viewer, starting it first if none is running. False if the
    // viewer cannot be started; the reason is written to standard error.
    bool request(const QString &path, quint16 command, quint32 data);

    // The process id of the running viewer, 0 while there is none.
    qint64 processId() const { return m_pid; }

    // Ends the viewer at once. The game never does: its help window outlives it. Tests do.
    void end();

signals:
    // The viewer has carried out a call: whether it shows the topic asked for, and the heading
    // of its page or the message shown instead.
    void answered(bool shown, const QString &page);

private:
    HelpViewer();
    bool start();
    void forget();
    void receive();
    void giveUp();
    void ended();

    Channel *m_channel = nullptr;
    qint64 m_pid = 0;
    int m_pidfd = -1; // the viewer itself, whatever process may later get its id
    int m_unanswered = 0;
    bool m_started = false; // the viewer has answered once
    QByteArray m_received;
    QTimer m_timeout;
};

} // namespace platform
