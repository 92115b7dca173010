#pragma once

#include "OndrelApp/instance/HandOverLimits.h"

#include <QObject>
#include <QString>

class QLocalServer;

// One running Ondrel per user. A later process hands its message (its URL argument, or nothing)
// to the running one over a local socket and leaves; the first one listens. The socket lives in
// the user's runtime directory and only the user may connect to it.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { primary, handedOver };

    // "ondrel.instance" in the user's runtime directory; throws std::runtime_error when there
    // is none.
    static QString defaultServerName();
    static QString serverNameIn(const QString& runtimeDirectory);

    explicit SingleInstance(QString serverName, HandOverLimits limits = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `message` to the instance already running, or becomes the running instance. Two
    // processes starting together take turns through a lock file beside the socket. Throws
    // std::runtime_error, with a message for the user, when neither can be done.
    Role start(const QString& message);

Q_SIGNALS:
    // A message from a later process; empty when it was started without a URL.
    void messageReceived(const QString& message);

private:
    // False when no instance answers; throws when one does but does not take the message.
    bool handOver(const QString& message);
    void listen();
    void admitPeers();

    QString m_serverName;
    HandOverLimits m_limits;
    QLocalServer* m_server = nullptr;
    int m_peers = 0;
};
