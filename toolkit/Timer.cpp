#include "toolkit/Timer.h"

#include <QPointer>

namespace toolkit {

Timer::Timer(QObject *parent, int intervalMs, bool enabled, const QString &name) : QObject(parent)
{
    setObjectName(name);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
    if (enabled)
        m_timer.start();
}

void Timer::setEnabled(bool on)
{
    // QTimer::start() restarts a running timer, which the game's timers must never do.
    if (on && !m_timer.isActive())
        m_timer.start();
    else if (!on)
        m_timer.stop();
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
