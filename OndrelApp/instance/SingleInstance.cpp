#include "OndrelApp/instance/SingleInstance.h"

#include "OndrelApp/instance/HandOverPeer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <stdexcept>

#include <sys/socket.h>

namespace {

std::runtime_error failure(const QString& text) {
    return std::runtime_error(text.toStdString());
}

constexpr qsizetype acknowledgementBytes = sizeof HandOverPeer::acknowledgement - 1;

// What the running instance answered by the deadline. Giving up shuts the reading side before a
// last look: from then on the instance cannot write its acknowledgement, and so does not use the
// message, while one written before is still read here.
QByteArray awaitAcknowledgement(QLocalSocket& socket, const QDeadlineTimer& deadline) {
    QByteArray answer;
    while (answer.size() < acknowledgementBytes &&
           socket.waitForReadyRead(int(deadline.remainingTime())))
        answer += socket.readAll();
    const qintptr descriptor = socket.socketDescriptor();
    if (answer.size() >= acknowledgementBytes || descriptor < 0)
        return answer;
    ::shutdown(int(descriptor), SHUT_RD);
    answer += socket.readAll();
    char rest[acknowledgementBytes];
    for (ssize_t got; answer.size() < acknowledgementBytes &&
                      (got = ::recv(int(descriptor), rest, sizeof rest, MSG_DONTWAIT)) > 0;)
        answer.append(rest, got);
    return answer;
}

} // namespace

QString SingleInstance::defaultServerName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        throw failure(QStringLiteral("no runtime directory for this user (XDG_RUNTIME_DIR)"));
    return serverNameIn(runtime);
}

QString SingleInstance::serverNameIn(const QString& runtimeDirectory) {
    return QDir(runtimeDirectory).filePath(QStringLiteral("ondrel.instance"));
}

SingleInstance::SingleInstance(QString serverName, HandOverLimits limits, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)), m_limits(limits) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Role SingleInstance::start(const QString& message) {
    QLockFile lock(m_serverName + QStringLiteral(".lock"));
    if (!lock.tryLock(int(m_limits.handOverTime.count())))
        throw failure((lock.error() == QLockFile::LockFailedError
                           ? QStringLiteral("another Ondrel is still starting: %1 stays locked")
                           : QStringLiteral("cannot create the lock file %1"))
                          .arg(lock.fileName()));
    if (handOver(message))
        return Role::handedOver;
    listen();
    return Role::primary;
}

bool SingleInstance::handOver(const QString& message) {
    const QDeadlineTimer deadline(m_limits.handOverTime);
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false; // nobody listens, or a crashed instance left its socket behind
    socket.write(message.toUtf8() + '\n');
    const QByteArray answer = awaitAcknowledgement(socket, deadline);
    if (answer != HandOverPeer::acknowledgement)
        throw failure(QStringLiteral("the running Ondrel did not take the URL (%1)")
                          .arg(answer.isEmpty() ? socket.errorString()
                                                : QStringLiteral("unexpected answer")));
    return true;
}

void SingleInstance::listen() {
    QLocalServer::removeServer(m_serverName); // what a crashed instance left
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        throw failure(
            QStringLiteral("cannot listen on %1: %2").arg(m_serverName, m_server->errorString()));
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::admitPeers);
}

void SingleInstance::admitPeers() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_peers >= m_limits.peers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_peers;
        auto* peer = new HandOverPeer(socket, m_limits, this);
        connect(peer, &HandOverPeer::finished, this, [this] { --m_peers; });
        connect(peer, &HandOverPeer::received, this, &SingleInstance::messageReceived);
        peer->start();
    }
}
