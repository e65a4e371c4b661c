// SPDX-License-Identifier: MIT
#include "Timer2.h"

#include "platform/Platform.h"

#include <algorithm>

namespace brivel {

namespace {

// Ticks of more than a minute due at once come from a sleep, not from a
// busy moment: they are skipped rather than replayed through the window.
constexpr qint64 ReplayLimitMs = 60'000;

} // namespace

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
    const qint64 now = m_platform.clockMs();
    if (m_enabled && m_interval > 0 && m_skipper) {
        const qint64 due = (now - m_start) / m_interval - m_ticks;
        if (due * m_interval > ReplayLimitMs) {
            const qint64 skipped = std::clamp<qint64>(m_skipper(due - 1), 0, due - 1);
            m_ticks += skipped;
            // What was not skipped is the alarm: it sounds now, and the ticks
            // after it come at their own pace, as after a normal last second.
            if (due - skipped > 1)
                m_start = now - (m_ticks + 1) * qint64(m_interval);
        }
    }
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
