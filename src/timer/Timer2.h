// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace brivel {

class Platform;

// The main window's periodic timer control. Its ticks are anchored to the
// platform clock: tick k of a schedule falls due at the instant the schedule
// started plus k intervals, so a late wake-up never shortens or stretches the
// countdown, and ticks missed while the loop was blocked or the machine slept
// are delivered one after another; after a long sleep the owner may skip
// all but the last of them in one step (setSkipper).
class Timer2 : public QObject {
    Q_OBJECT
public:
    explicit Timer2(Platform &platform, QObject *parent = nullptr);

    // A new interval restarts the schedule; 0 stops the ticks.
    void setInterval(int ms);
    bool Enabled() const { return m_enabled; }
    // Enabling, even when already enabled, restarts the schedule.
    void setEnabled(bool enabled);

    // Whether a wake-up is scheduled at all.
    bool isArmed() const { return m_wake.isActive(); }
    // When the next tick falls due, on the platform clock.
    qint64 nextDue() const;

    // Deliver every tick that has fallen due by now. The wake-up calls it;
    // tests call it after moving a fake clock.
    void catchUp();

    // When more than a minute of ticks has fallen due at once, skipper(n) is asked
    // to take up to n of them without a Timer event and returns how many it
    // took; the rest are delivered. Ticks it left for later than the next
    // one (an alarm that fell due) keep the normal pace from now on.
    void setSkipper(std::function<qint64(qint64)> skipper) { m_skipper = std::move(skipper); }

signals:
    void Timer();

private:
    void restart();
    void arm();

    Platform &m_platform;
    QTimer m_wake;
    int m_interval = 0;
    bool m_enabled = false;
    qint64 m_start = 0;
    qint64 m_ticks = 0;
    quint64 m_schedule = 0;
    std::function<qint64(qint64)> m_skipper;
};

} // namespace brivel
