// SPDX-License-Identifier: MIT
// The private desktop as the benchmark sees it: one clock, waits that keep
// Qt's event loop running (the sink recorder and the X events are read
// there), the programs it starts, and the X events of their windows, each
// stamped when it arrived.
#pragma once

#include <xcb/xcb.h>

#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace bench {

// Milliseconds on the monotonic clock, the sink recorder's clock too.
double now();
// Runs the event loop until done() or the deadline; whether done() came true.
bool waitUntil(double deadline, const std::function<bool()> &done = {});
[[noreturn]] void die(const QString &what);

// The programs the benchmark starts write to this log.
void setLog(const QString &path);
std::unique_ptr<QProcess> spawn(const QString &program, const QStringList &arguments = {});
// Ends a program the benchmark started, by its process id: asked, then forced.
void stop(QProcess &process);
// Runs a program to its end (at most 10 s); its standard output.
QByteArray run(const QString &program, const QStringList &arguments);

// The resident set and CPU time of a process.
double rssMiB(qint64 pid);
// utime + stime of /proc/<pid>/stat, in 10 ms ticks.
double statCpuMs(qint64 pid);
// The process CPU clock: every thread, also those that ended, in ns steps.
double clockCpuMs(qint64 pid);

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XPtr = std::unique_ptr<T, FreeDeleter>;

class X {
public:
    X();
    ~X();
    X(const X &) = delete;
    X &operator=(const X &) = delete;

    struct Event {
        XPtr<xcb_generic_event_t> event;
        double at = 0;
        int type() const { return event->response_type & 0x7f; }
        template <typename T> const T &as() const
        {
            return *reinterpret_cast<const T *>(event.get());
        }
    };
    // The next event; none by the deadline.
    std::optional<Event> next(double deadline);
    // Forgets the events so far.
    void drain();

    void select(xcb_window_t window, uint32_t mask);
    uint32_t pidOf(xcb_window_t window);
    QString titleOf(xcb_window_t window);
    xcb_atom_t netWmName() const { return m_netWmName; }
    // The first top-level window of pid mapped, and when; none by the deadline.
    std::optional<std::pair<xcb_window_t, double>> waitMapped(qint64 pid, double deadline);

private:
    bool viewable(xcb_window_t window);
    xcb_atom_t atom(const char *name);
    // Moves what xcb has read to the queue: events that came with a reply
    // are stamped when the reply came.
    void take(bool read);

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_netWmPid = XCB_ATOM_NONE;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::deque<Event> m_queue;
};

} // namespace bench
