#include "platform/InstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <memory>
#include <unistd.h>

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
constexpr int kTimeoutMs = 2000;
} // namespace

InstanceGuard::InstanceGuard(QString serverName, QObject *parent) : QObject(parent), m_name(std::move(serverName)) {}

InstanceGuard::~InstanceGuard() = default;

QString InstanceGuard::defaultServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(QStringLiteral("ostrelle.instance"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("ostrelle-%1.instance").arg(getuid()));
}

bool InstanceGuard::ActivatePreviousInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kTimeoutMs))
        return false; // nobody listens, or a socket file without its process
    socket.write(kActivate);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kTimeoutMs);
    return true;
}

bool InstanceGuard::listen()
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &InstanceGuard::onNewConnection);
    }
    if (m_server->isListening())
        return true;
    if (m_server->listen(m_name))
        return true;
    // What is left there answers nobody (ActivatePreviousInstance found no listener).
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool InstanceGuard::isListening() const
{
    return m_server && m_server->isListening();
}

void InstanceGuard::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The request may arrive in pieces; it counts once the whole line is there.
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
            *received += socket->readAll();
            if (received->contains(kActivate)) {
                received->clear();
                emit activationRequested();
            }
        });
    }
}
