// SPDX-License-Identifier: MIT
#include "Desktop.h"

#include "SinkRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <set>
#include <sys/prctl.h>
#include <unistd.h>

namespace bench {

namespace {

QString g_log = QStringLiteral("/dev/null");

// A program the benchmark starts ends with it, however the benchmark ends.
void startOwned(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(g_log, QIODevice::Append);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, arguments);
}

} // namespace

double now()
{
    return brivel::test::SinkRecorder::now();
}

bool waitUntil(double deadline, const std::function<bool()> &done)
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!done || !done()) {
        const double left = deadline - now();
        if (left <= 0)
            return false;
        wake.start(int(std::ceil(left)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void die(const QString &what)
{
    qCritical("benchmark: %s", qPrintable(what));
    std::exit(1);
}

void setLog(const QString &path)
{
    g_log = path;
}

std::unique_ptr<QProcess> spawn(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(g_log, QIODevice::Append);
    startOwned(*process, program, arguments);
    if (!process->waitForStarted(10000))
        die(QStringLiteral("cannot start %1").arg(program));
    return process;
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished();
    }
}

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    startOwned(process, program, arguments);
    if (!process.waitForFinished(10000))
        stop(process);
    return process.readAllStandardOutput();
}

double rssMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line; !(line = status.readLine()).isEmpty();) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

double statCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The name may hold blanks; state is field 3, utime and stime are 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1e3 / double(sysconf(_SC_CLK_TCK));
}

double clockCpuMs(qint64 pid)
{
    clockid_t id{};
    timespec ts{};
    if (clock_getcpuclockid(pid_t(pid), &id) != 0 || clock_gettime(id, &ts) != 0)
        return -1;
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

X::X()
{
    m_c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_c))
        die(QStringLiteral("cannot open the display"));
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    select(m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    m_netWmPid = atom("_NET_WM_PID");
    m_netWmName = atom("_NET_WM_NAME");
    m_notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_c), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { take(true); });
}

X::~X()
{
    m_notifier.reset();
    m_queue.clear();
    xcb_disconnect(m_c);
}

void X::take(bool read)
{
    const double at = now();
    while (xcb_generic_event_t *e = read ? xcb_poll_for_event(m_c) : xcb_poll_for_queued_event(m_c))
        m_queue.push_back({XPtr<xcb_generic_event_t>(e), at});
    if (xcb_connection_has_error(m_c))
        die(QStringLiteral("lost the display"));
}

std::optional<X::Event> X::next(double deadline)
{
    take(true);
    if (!waitUntil(deadline, [this] { return !m_queue.empty(); }))
        return std::nullopt;
    Event e = std::move(m_queue.front());
    m_queue.pop_front();
    return e;
}

void X::drain()
{
    xcb_flush(m_c);
    take(true);
    m_queue.clear();
}

void X::select(xcb_window_t window, uint32_t mask)
{
    xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_c);
}

uint32_t X::pidOf(xcb_window_t window)
{
    const XPtr<xcb_get_property_reply_t> r(xcb_get_property_reply(
        m_c, xcb_get_property(m_c, 0, window, m_netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    take(false);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return 0;
    return *static_cast<const uint32_t *>(xcb_get_property_value(r.get()));
}

QString X::titleOf(xcb_window_t window)
{
    const XPtr<xcb_get_property_reply_t> r(xcb_get_property_reply(
        m_c, xcb_get_property(m_c, 0, window, m_netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr));
    take(false);
    if (!r)
        return {};
    return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(r.get())),
                             xcb_get_property_value_length(r.get()));
}

bool X::viewable(xcb_window_t window)
{
    const XPtr<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr));
    take(false);
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

xcb_atom_t X::atom(const char *name)
{
    const XPtr<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr));
    take(false);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<std::pair<xcb_window_t, double>> X::waitMapped(qint64 pid, double deadline)
{
    std::set<xcb_window_t> created;
    while (auto ev = next(deadline)) {
        if (ev->type() == XCB_CREATE_NOTIFY) {
            const auto &e = ev->as<xcb_create_notify_event_t>();
            if (e.parent != m_root || e.override_redirect)
                continue;
            select(e.window, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            created.insert(e.window);
            // Mapped before the selection took effect (not seen so far).
            if (viewable(e.window) && pidOf(e.window) == uint32_t(pid))
                return std::pair{e.window, now()};
        } else if (ev->type() == XCB_MAP_NOTIFY) {
            const auto &e = ev->as<xcb_map_notify_event_t>();
            if (created.count(e.window) && pidOf(e.window) == uint32_t(pid))
                return std::pair{e.window, ev->at};
        }
    }
    return std::nullopt;
}

} // namespace bench
