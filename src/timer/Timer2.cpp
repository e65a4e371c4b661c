// SPDX-License-Identifier: MIT
#include "Timer2.h"

#include "platform/Platform.h"

#include <algorithm>

namespace brivel {

Timer2::Timer2(Platform &platform, QObject *parent) : QObject(parent), m_platform(platform)
{
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &Timer2::catchUp);
}

void Timer2::setInterval(int ms)
{
    m_interval = std::max(ms, 0);
    restart();
}

void Timer2::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

qint64 Timer2::nextDue() const
{
    return m_start + (m_ticks + 1) * qint64(m_interval);
}

void Timer2::restart()
{
    ++m_schedule;
    m_ticks = 0;
    m_start = m_platform.clockMs();
    arm();
}

void Timer2::arm()
{
    if (!m_enabled || m_interval <= 0) {
        m_wake.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(nextDue() - m_platform.clockMs(), 0);
    m_wake.start(int(std::min<qint64>(wait, m_interval)));
}

void Timer2::catchUp()
{
    const quint64 schedule = m_schedule;
    while (m_enabled && m_interval > 0 && schedule == m_schedule
           && nextDue() <= m_platform.clockMs()) {
        ++m_ticks;
        emit Timer();
    }
    // A handler that restarted or stopped the schedule has armed it already.
    if (schedule == m_schedule)
        arm();
}

} // namespace brivel
