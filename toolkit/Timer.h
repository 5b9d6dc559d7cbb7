#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QString>

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
    int interval() const { return m_interval; }
    bool precise() const { return m_type == Qt::PreciseTimer; }

    // While set, called after every tick's handler has returned (the tests record the order of
    // the game's ticks with it); unset, it costs one test of a pointer per tick.
    static inline void (*observer)(Timer *timer) = nullptr;

signals:
    // The tick, delivered through the message loop.
    void timer();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void tick();

    // A bare timer delivering its ticks straight to this object: the toss bit's timer ticks 166
    // times a second for the whole run, so every layer between the tick and the handler counts.
    QBasicTimer m_timer;
    int m_interval;
    Qt::TimerType m_type = Qt::PreciseTimer;
    bool m_inHandler = false;
};

} // namespace toolkit
