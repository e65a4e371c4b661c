// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace brivel {

// The alarm's notification through the desktop's notification service on
// the session bus. One at a time: a new one replaces Brivel's last. No call
// waits for the bus; where there is no bus or no service nothing happens.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    DesktopNotifier();
    ~DesktopNotifier() override;

    // Connects to the bus in the background, once, ahead of showing; showing
    // before the connection is made sends the notification when it is.
    void connectToBus();
    // activate runs when the user clicks the notification.
    void show(const QString &body, std::function<void()> activate);
    void withdraw();

private slots:
    void actionInvoked(uint id, const QString &action);
    void activationToken(uint id, const QString &token);

private:
    void connected(const QDBusConnection &bus);
    void send();
    void notify(quint64 request, bool markup);
    void close(uint id);
    void answered(quint64 request, uint id);

    std::optional<QDBusConnection> m_bus; // once connected
    bool m_connecting = false;
    bool m_wanted = false; // a notification should be on screen
    bool m_unsent = false; // shown before the bus was there
    quint64 m_request = 0; // the latest Notify sent
    uint m_id = 0;         // Brivel's notification on screen, 0 when none
    QString m_body;
    QByteArray m_token; // the activation token the service handed over
    std::function<void()> m_activate;
};

} // namespace brivel
