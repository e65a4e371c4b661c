// SPDX-License-Identifier: MIT
#include "LinuxPlatform.h"

#include "BuildConfig.h"
#include "DesktopNotifier.h"
#include "Logging.h"
#include "MachineHive.h"
#include "ProgramStarter.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

#include <ctime>

#ifdef BRIVEL_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#endif

namespace brivel {

void LinuxPlatform::chooseWindowingSystem()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    // Wayland stays the fallback for an X server that cannot be reached.
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

#ifdef BRIVEL_HAVE_XCB
namespace {

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, quint16(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Asks the window manager to add a state to a mapped window's, or remove it.
void requestState(QWindow *window, const char *state, bool add = true)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *c = x11->connection();
    const auto atom = [c](const char *name) { return internAtom(c, name); };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = add ? 1 : 0;
    event.data.data32[1] = atom(state);
    event.data.data32[3] = 1; // from an application
    if (event.type == XCB_ATOM_NONE || event.data.data32[1] == XCB_ATOM_NONE)
        return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// The window manager erases the state of a window it withdraws. A window
// hidden and shown again at once can be mapped before that erase and come
// back without "above". After each show of a window kept on top the request
// goes again; the window manager reads it once it has taken the window back.
class AboveKeeper : public QObject {
public:
    explicit AboveKeeper(QWindow *window) : QObject(window)
    {
        setObjectName(QStringLiteral("brivelAboveKeeper"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWindow *>(watched);
            // Queued: after the map that follows the show event.
            QMetaObject::invokeMethod(
                this,
                [window] {
                    if (window->isVisible() && (window->flags() & Qt::WindowStaysOnTopHint))
                        requestState(window, "_NET_WM_STATE_ABOVE");
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace
#endif

LinuxPlatform::LinuxPlatform()
    : m_sound(
        std::make_unique<SoundPlayer>(QStringLiteral(BRIVEL_SOUND_MODULE), [this] { beep(); })),
      m_hive(std::make_unique<MachineHive>(QStringLiteral(BRIVEL_MACHINE_HIVE)))
{
}

LinuxPlatform::~LinuxPlatform() = default;

QString LinuxPlatform::GetSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue)
{
    return readSetting(application, section, key, defaultValue);
}

void LinuxPlatform::SaveSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    // A store that cannot be written keeps its old file; nobody is told.
    (void)writeSetting(application, section, key, value);
}

int LinuxPlatform::waveOutDeviceCount()
{
    // Not known yet (a sound server still starting, or none yet) counts as a
    // device: the alarm then tries the wave and beeps if it cannot play, so
    // a server that comes up later is used, and a working machine is never
    // made silent by a count that came too late.
    const int count = m_sound->outputCount();
    if (count < 0)
        qCDebug(lcSound) << "No count of sound devices in time: one is taken to be there";
    return count < 0 ? 1 : count;
}

void LinuxPlatform::preloadWave(const QString &path)
{
    m_sound->preload(path);
}

void LinuxPlatform::playWave(const QString &path, bool wait)
{
    m_sound->play(path, wait);
}

void LinuxPlatform::beep()
{
    // The desktop's bell through the sound server, where it is heard; the X
    // bell only when no sound server takes it.
    m_sound->bell();
}

bool LinuxPlatform::setTopMost(QWindow *window, bool topMost)
{
    if (!window)
        return false;
    // Wayland lets no client stack its own window above others.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    // On X11 this sends the window manager _NET_WM_STATE_ABOVE for a mapped
    // window and sets it before the next map otherwise; position and size
    // stay. The widget must agree, or a later change of its own flags would
    // drop the hint.
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->windowHandle() == window) {
            widget->overrideWindowFlags(topMost
                                            ? widget->windowFlags() | Qt::WindowStaysOnTopHint
                                            : widget->windowFlags() & ~Qt::WindowStaysOnTopHint);
            break;
        }
    }
    window->setFlag(Qt::WindowStaysOnTopHint, topMost);
#ifdef BRIVEL_HAVE_XCB
    if (topMost && QGuiApplication::platformName() == QLatin1String("xcb")
        && !window->findChild<QObject *>(QStringLiteral("brivelAboveKeeper"),
                                         Qt::FindDirectChildrenOnly))
        new AboveKeeper(window); // owned by the window
#endif
    return true;
}

void LinuxPlatform::setDemandsAttention(QWindow *window, bool demand)
{
#ifdef BRIVEL_HAVE_XCB
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!window || !x11 || !x11->connection())
        return;
    // The window manager's state, asked for as a client message (a state
    // property written by the client is not read once the window is mapped).
    if (window->isVisible())
        requestState(window, "_NET_WM_STATE_DEMANDS_ATTENTION", demand);
    // And the urgency hint in WM_HINTS, which the client itself clears.
    xcb_connection_t *c = x11->connection();
    const auto w = xcb_window_t(window->winId());
    constexpr uint32_t UrgencyHint = 1u << 8;
    constexpr uint32_t HintWords = 9;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, HintWords);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    uint32_t hints[HintWords] = {};
    const bool hinted = reply && reply->format == 32 && reply->value_len > 0;
    if (!hinted && !demand) {
        xcb_flush(c);
        return;
    }
    if (hinted) {
        const auto *old = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
        std::copy_n(old, std::min<uint32_t>(reply->value_len, HintWords), hints);
    }
    hints[0] = demand ? hints[0] | UrgencyHint : hints[0] & ~UrgencyHint;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        HintWords, hints);
    xcb_flush(c);
#else
    Q_UNUSED(window);
    Q_UNUSED(demand);
#endif
}

DesktopNotifier &LinuxPlatform::notifier()
{
    if (!m_notifier) {
        m_notifier = std::make_unique<DesktopNotifier>();
        m_notifier->connectToBus();
    }
    return *m_notifier;
}

void LinuxPlatform::showNotification(const QString &body, std::function<void()> activate)
{
    notifier().show(body, std::move(activate));
}

void LinuxPlatform::withdrawNotification()
{
    notifier().withdraw();
}

void LinuxPlatform::hideFromTaskbar(QWindow *window)
{
#ifdef BRIVEL_HAVE_XCB
    // The window manager's state hint; Qt keeps states already set on an
    // unmapped window when it adds its own.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!window || !x11 || !x11->connection())
        return;
    if (window->isVisible()) {
        requestState(window, "_NET_WM_STATE_SKIP_TASKBAR");
        return;
    }
    xcb_connection_t *c = x11->connection();
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skip = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    const auto w = xcb_window_t(window->winId());
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 1024);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (reply && reply->format == 32) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        for (uint32_t i = 0; i < reply->value_len; ++i) {
            if (atoms[i] == skip)
                return;
        }
    }
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, state, XCB_ATOM_ATOM, 32, 1, &skip);
    xcb_flush(c);
#else
    Q_UNUSED(window);
#endif
}

qint64 LinuxPlatform::startProgram(const QString &commandLine, int showWindow, const QRect &beside)
{
    return startCommandLine(commandLine, showWindow, programFolder(), beside);
}

bool LinuxPlatform::fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QString LinuxPlatform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString LinuxPlatform::helpFilePath()
{
    return QStringLiteral(BRIVEL_HELP_FILE);
}

void LinuxPlatform::messageBox(const QString &text, QWidget *owner)
{
    // CR LF (or a lone CR or LF) breaks the line, as the text means.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // An owner that is not on screen could not keep the box in view.
    QWidget *window = owner ? owner->window() : nullptr;
    if (window && !window->isVisible())
        window = nullptr;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brivel"), shown, QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

qint64 LinuxPlatform::clockMs()
{
    timespec ts{};
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
        clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

MachineHive &LinuxPlatform::machineHive()
{
    return *m_hive;
}

} // namespace brivel
