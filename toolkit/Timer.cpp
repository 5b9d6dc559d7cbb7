#include "toolkit/Timer.h"

#include <QPointer>
#include <QTimerEvent>

namespace toolkit {

Timer::Timer(QObject *parent, int intervalMs, bool enabled, const QString &name)
    : QObject(parent), m_interval(intervalMs)
{
    setObjectName(name);
    setEnabled(enabled);
}

void Timer::setEnabled(bool on)
{
    // Starting a running timer restarts it, which the game's timers must never do.
    if (on && !m_timer.isActive())
        m_timer.start(m_interval, m_type, this);
    else if (!on)
        m_timer.stop();
}

void Timer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        tick();
    else
        QObject::timerEvent(event);
}

void Timer::tick()
{
    if (m_inHandler)
        return;
    m_inHandler = true;
    QPointer<Timer> self(this);
    emit timer();
    if (!self)
        return;
    m_inHandler = false;
    if (observer)
        observer(this);
}

} // namespace toolkit
