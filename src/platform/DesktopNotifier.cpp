// SPDX-License-Identifier: MIT
#include "DesktopNotifier.h"

#include "Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <utility>

namespace brivel {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = Service;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

} // namespace

DesktopNotifier::DesktopNotifier() = default;

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::connectToBus()
{
    if (m_connecting)
        return;
    m_connecting = true;
    // Made off the window's thread: a bus that does not answer must not
    // hold the ticks. Once made, Qt keeps the connection for every thread.
    auto promise = std::make_shared<QPromise<bool>>();
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->result())
            connected(QDBusConnection::sessionBus());
        else
            qCDebug(lcSound) << "no session bus: the alarm shows no notification";
    });
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise] {
        promise->addResult(QDBusConnection::sessionBus().isConnected());
        promise->finish();
    });
}

void DesktopNotifier::connected(const QDBusConnection &bus)
{
    m_bus = bus;
    // Any sender: naming the service would make Qt ask the bus for its
    // owner and wait for the answer. The id tells Brivel's own apart.
    const auto hook = [this](const char *name, const char *slot) {
        m_bus->connect(QString(), Path, Interface, QLatin1String(name), this, slot);
    };
    hook("ActionInvoked", SLOT(actionInvoked(uint, QString)));
    hook("ActivationToken", SLOT(activationToken(uint, QString)));
    hook("NotificationClosed", SLOT(closed(uint)));
    // A service that reads markup in the body would take a memo's "<" or
    // "&" for markup. Asked without starting a service that is not running.
    QDBusMessage capabilities = call(QStringLiteral("GetCapabilities"));
    capabilities.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(capabilities), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (!reply.isError())
            m_markup = reply.value().contains(QLatin1String("body-markup"));
    });
    if (std::exchange(m_unsent, false) && m_wanted)
        send();
}

void DesktopNotifier::show(const QString &body, std::function<void()> activate)
{
    m_body = body;
    m_activate = std::move(activate);
    m_wanted = true;
    m_token.clear();
    connectToBus();
    if (m_bus)
        send();
    else
        m_unsent = true;
}

void DesktopNotifier::send()
{
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("category"), QStringLiteral("x-brivel.alarm")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("org.brivel.Brivel")},
                            // Brivel rings on its own.
                            {QStringLiteral("suppress-sound"), true}};
    notify << QStringLiteral("Brivel") << m_id << QStringLiteral("org.brivel.Brivel")
           << QStringLiteral("Brivel") << (m_markup ? m_body.toHtmlEscaped() : m_body)
           << QStringList{QStringLiteral("default"), QStringLiteral("Show Brivel")} << hints << -1;
    const quint64 request = ++m_request;
    auto *watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, request, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            qCDebug(lcSound) << "no notification shown:" << reply.error().message();
        else
            answered(request, reply.value());
    });
}

void DesktopNotifier::answered(quint64 request, uint id)
{
    if (request == m_request && m_wanted) {
        m_id = id;
        return;
    }
    // Withdrawn, or replaced by a newer one, before the service answered.
    if (id != m_id)
        m_bus->send(call(QStringLiteral("CloseNotification")) << id);
}

void DesktopNotifier::withdraw()
{
    m_wanted = false;
    m_unsent = false;
    m_activate = nullptr;
    if (m_id != 0 && m_bus)
        m_bus->send(call(QStringLiteral("CloseNotification")) << std::exchange(m_id, 0u));
}

void DesktopNotifier::activationToken(uint id, const QString &token)
{
    if (id != 0 && id == m_id)
        m_token = token.toUtf8();
}

void DesktopNotifier::actionInvoked(uint id, const QString &action)
{
    if (id == 0 || id != m_id || action != QLatin1String("default") || !m_activate)
        return;
    // A Wayland compositor lets a window take the focus with the token the
    // notification service was given for the click.
    if (!m_token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", m_token);
    const std::function<void()> activate = m_activate;
    activate();
}

void DesktopNotifier::closed(uint id)
{
    if (id != 0 && id == m_id) {
        m_id = 0;
        m_wanted = false;
    }
}

} // namespace brivel
