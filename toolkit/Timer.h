#pragma once

#include <QObject>
#include <QTimer>

namespace toolkit {

// A timer with an interval and an "enabled" switch. Switching on a timer that is already on
// changes nothing and does not restart its countdown; switching on a timer that is off starts a
// full interval. A timer never re-enters its own handler: ticks that come while the handler is
// still running (for example while it shows an error box) are dropped. The name is the timer's
// design name, its object name.
class Timer : public QObject {
    Q_OBJECT

public:
    Timer(QObject *parent, int intervalMs, bool enabled, const QString &name = QString());

    bool enabled() const { return m_timer.isActive(); }
    void setEnabled(bool on);
    int interval() const { return m_timer.interval(); }
    bool precise() const { return m_timer.timerType() == Qt::PreciseTimer; }

    // While set, called after every tick's handler has returned (the tests record the order of
    // the game's ticks with it); unset, it costs one test of a pointer per tick.
    static inline void (*observer)(Timer *timer) = nullptr;

signals:
    // The tick, delivered through the message loop.
    void timer();

private:
    void tick();

    QTimer m_timer;
    bool m_inHandler = false;
};

} // namespace toolkit
