// SPDX-License-Identifier: MIT
#include "SingleViewer.h"

#include "HelpViewer.h"
#include "platform/Logging.h"
#include "platform/ViewerProtocol.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivel::help {

namespace {

// What is at a path, the link itself and never its target: nothing, the
// user's own entry of that kind (and that mode, when one is given), or
// anything else.
enum class Entry { None, Own, Foreign };
Entry entryAt(const QString &path, mode_t kind, mode_t mode = 0)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? Entry::None : Entry::Foreign;
    const bool own = (st.st_mode & S_IFMT) == kind && st.st_uid == ::getuid()
                     && (mode == 0 || (st.st_mode & 07777) == mode);
    return own ? Entry::Own : Entry::Foreign;
}

bool isPrivateFolder(const QString &path)
{
    return QDir::isAbsolutePath(path) && entryAt(path, S_IFDIR, 0700) == Entry::Own;
}

// Where nobody else can put a socket or lock, or see one: the user's runtime
// folder, else a folder of Brivel's own under the temporary folder. Empty
// when neither is the user's alone.
QString privateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/brivel-") + QString::number(::getuid());
    if (QDir::isAbsolutePath(own))
        ::mkdir(QFile::encodeName(own).constData(), 0700); // an existing one is checked below
    if (isPrivateFolder(own))
        return own;
    qCDebug(lcPrograms) << "Help viewers do not meet: neither" << runtime << "nor" << own
                        << "is a folder of the user's alone (mode 0700)";
    return {};
}

// Whether the other end of a connected local socket runs as this user.
bool sameUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
           && peer.uid == ::getuid();
}

bool send(const QString &name, const QByteArray &message)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000) || !sameUser(socket.socketDescriptor()))
        return false;
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return sent;
}

} // namespace

SingleViewer::SingleViewer(const QString &helpFile, QObject *parent) : QObject(parent)
{
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return;
    // Per display and per file.
    const QByteArray path =
        QFile::encodeName(QFileInfo(helpFile).absoluteFilePath()) + '\n' + qgetenv("DISPLAY");
    m_name = folder + QStringLiteral("/brivel-help-")
             + QString::fromLatin1(
                 QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16));
    m_lock = std::make_unique<QLockFile>(m_name + QStringLiteral(".lock"));
    // A lock left by a viewer that died is taken over at once.
    m_lock->setStaleLockTime(0);
}

SingleViewer::~SingleViewer() = default;

bool SingleViewer::handOver(int topic, int showWindow)
{
    if (m_name.isEmpty())
        return false;
    const QByteArray message = viewer::topicMessage(topic, showWindow);
    // Starts that come together (F1 pressed in a row) meet at the lock: one
    // becomes the viewer, the others wait for its socket.
    for (int tries = 0; tries < 100; ++tries) {
        const Entry socket = entryAt(m_name, S_IFSOCK);
        if (socket == Entry::Own && send(m_name, message))
            return true;
        // What another user put there is neither used nor waited for.
        if (socket == Entry::Foreign || entryAt(m_lock->fileName(), S_IFREG) == Entry::Foreign) {
            qCDebug(lcPrograms) << "Help viewers do not meet: a socket or lock at" << m_name
                                << "is not the user's";
            return false;
        }
        if (m_lock->tryLock(0)) {
            QLocalServer::removeServer(m_name);
            m_server = std::make_unique<QLocalServer>();
            m_server->setSocketOptions(QLocalServer::UserAccessOption);
            if (!m_server->listen(m_name))
                qCDebug(lcPrograms) << "Help viewers do not meet:" << m_server->errorString();
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
            // Another user's request is never heard.
            if (!sameUser(socket->socketDescriptor())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, &viewer, [socket, &viewer] {
                int topic = 0;
                int showWindow = 0;
                if (socket->canReadLine()
                    && brivel::viewer::parseTopicMessage(socket->readLine(), topic, showWindow))
                    viewer.turnTo(topic, showWindow);
            });
        }
    });
}

} // namespace brivel::help
