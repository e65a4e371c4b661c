// SPDX-License-Identifier: MIT
#include "SingleViewer.h"

#include "HelpViewer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace brivel::help {

namespace {

// Per user (the runtime folder is the user's own), per display and per file.
QString socketName(const QString &helpFile)
{
    const QByteArray path = QFile::encodeName(QFileInfo(helpFile).absoluteFilePath()) + '\n'
                            + qgetenv("DISPLAY");
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/brivel-help-") + hash;
}

bool send(const QString &name, const QByteArray &message)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return sent;
}

} // namespace

SingleViewer::SingleViewer(const QString &helpFile, QObject *parent)
    : QObject(parent), m_name(socketName(helpFile)), m_lock(m_name + QStringLiteral(".lock"))
{
    // A lock left by a viewer that died is taken over at once.
    m_lock.setStaleLockTime(0);
}

SingleViewer::~SingleViewer() = default;

bool SingleViewer::handOver(int topic, int showWindow)
{
    const QByteArray message = QByteArray::number(topic) + ' ' + QByteArray::number(showWindow)
                               + '\n';
    // Starts that come together (F1 pressed in a row) meet at the lock: one
    // becomes the viewer, the others wait for its socket.
    for (int tries = 0; tries < 100; ++tries) {
        if (send(m_name, message))
            return true;
        if (m_lock.tryLock(0)) {
            QLocalServer::removeServer(m_name);
            m_server = std::make_unique<QLocalServer>();
            m_server->setSocketOptions(QLocalServer::UserAccessOption);
            m_server->listen(m_name);
            return false;
        }
        QThread::msleep(50);
    }
    // No viewer answers and none can be made the one: show this one anyway.
    return false;
}

void SingleViewer::serve(HelpViewer &viewer)
{
    if (!m_server)
        return;
    connect(m_server.get(), &QLocalServer::newConnection, &viewer, [this, &viewer] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, &viewer, [socket, &viewer] {
                if (!socket->canReadLine())
                    return;
                const QList<QByteArray> words = socket->readLine().trimmed().split(' ');
                if (words.size() == 2)
                    viewer.turnTo(words[0].toInt(), words[1].toInt());
            });
        }
    });
}

} // namespace brivel::help
