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

// Calls without waiting; then runs on the reply, while the context lives.
template <typename T, typename Then>
void ask(QDBusConnection &bus, const QDBusMessage &message, QObject *context, Then then)
{
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, then] {
        watcher->deleteLater();
        then(QDBusPendingReply<T>(*watcher));
    });
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
    if (std::exchange(m_unsent, false) && m_wanted)
        send();
}

void DesktopNotifier::show(const QString &body, std::function<void()> activate)
{
    m_body = body;
    m_activate = std::move(activate);
    m_wanted = true;
    m_token.clear();
    if (m_bus)
        send();
    else
        m_unsent = true;
}

void DesktopNotifier::send()
{
    const quint64 request = ++m_request;
    // Asked at each alarm, since the service may have changed: one that
    // reads markup in the body would take a memo's "<" or "&" for markup.
    ask<QStringList>(
        *m_bus, call(QStringLiteral("GetCapabilities")), this,
        [this, request](const QDBusPendingReply<QStringList> &capabilities) {
            if (capabilities.isError())
                qCDebug(lcSound) << "no notification shown:" << capabilities.error().message();
            else if (request == m_request && m_wanted)
                notify(request, capabilities.value().contains(QLatin1String("body-markup")));
        });
}

void DesktopNotifier::notify(quint64 request, bool markup)
{
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("category"), QStringLiteral("x-brivel.alarm")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("org.brivel.Brivel")},
                            // Brivel rings on its own.
                            {QStringLiteral("suppress-sound"), true}};
    notify << QStringLiteral("Brivel") << m_id << QStringLiteral("org.brivel.Brivel")
           << QStringLiteral("Brivel") << (markup ? m_body.toHtmlEscaped() : m_body)
           << QStringList{QStringLiteral("default"), QStringLiteral("Show Brivel")} << hints << -1;
    ask<uint>(*m_bus, notify, this, [this, request](const QDBusPendingReply<uint> &reply) {
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
        close(id);
}

void DesktopNotifier::close(uint id)
{
    // Closing starts no service that is not running.
    QDBusMessage message = call(QStringLiteral("CloseNotification")) << id;
    message.setAutoStartService(false);
    m_bus->send(message);
}

void DesktopNotifier::withdraw()
{
    m_wanted = false;
    m_unsent = false;
    m_activate = nullptr;
    if (m_id != 0 && m_bus)
        close(std::exchange(m_id, 0u));
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

} // namespace brivel
