#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "OndrelSandbox.h"

#include <QFile>
#include <QLocalSocket>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

bool finished(QProcess& process) {
    // The event loop must run meanwhile: this process is the one answering.
    return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30s);
}

// A peer of the running instance: what it sent and what came back before the line closed.
class Peer {
public:
    explicit Peer(const QString& serverName) {
        QObject::connect(&m_socket, &QLocalSocket::readyRead,
                         [this] { m_answer += m_socket.readAll(); });
        m_socket.connectToServer(serverName);
    }
    void send(const QByteArray& bytes) {
        waitUntil([&] { return m_socket.state() == QLocalSocket::ConnectedState; });
        m_socket.write(bytes);
        m_socket.flush();
    }
    bool closed() const { return m_socket.state() == QLocalSocket::UnconnectedState; }
    // The answer once the instance has closed the line.
    QByteArray answer() {
        EXPECT_TRUE(waitUntil([&] { return closed(); }));
        return m_answer;
    }

private:
    QLocalSocket m_socket;
    QByteArray m_answer;
};

} // namespace

// A real second `ondrel` hands its URL (or, started plainly, an empty message) to the one
// running and leaves with status 0.
TEST(SingleInstance, ASecondOndrelHandsItsURLOverAndExits) {
    OndrelSandbox sandbox;
    SingleInstance first(sandbox.serverName());
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    QStringList messages;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const QString& message) { messages.append(message); });

    const QString callback = QStringLiteral("ondrel://auth?access=a%2B1&refresh=r%20");
    for (const QStringList& arguments : {QStringList{callback}, QStringList{}}) {
        const auto second = sandbox.start(arguments);
        ASSERT_TRUE(finished(*second)) << second->readAllStandardError().toStdString();
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
    }
    EXPECT_EQ(messages, QStringList({callback, QString()}));
}

// A peer is held to one short, clean message in little time.
TEST(SingleInstance, CutsOffPeersOutsideTheLimits) {
    OndrelSandbox sandbox;
    const HandOverLimits limits{.messageBytes = 32, .peerTime = 1s};
    SingleInstance first(sandbox.serverName(), limits);
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    QStringList messages;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const QString& message) { messages.append(message); });

    const struct {
        const char* name;
        QByteArray sent;
        QByteArray answer;
    } cases[] = {
        {"a message", "ondrel://auth?x=%D1%8F\n", "ok\n"},
        {"a control character", "ondrel://a\tb\n", ""},
        {"not UTF-8", "ondrel://\xff\xfe\n", ""},
        {"two messages", "ondrel://a\nondrel://b\n", ""},
        {"too long", QByteArray(33, 'x'), ""},
        {"too long, line feed after the limit", QByteArray(40, 'x') + '\n', ""},
        {"nothing in time", "", ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Peer peer(sandbox.serverName());
        peer.send(row.sent);
        EXPECT_EQ(peer.answer(), row.answer);
    }
    EXPECT_EQ(messages, QStringList{QStringLiteral("ondrel://auth?x=%D1%8F")});
}

TEST(SingleInstance, ServesFewPeersAtOnce) {
    OndrelSandbox sandbox;
    SingleInstance first(sandbox.serverName(), HandOverLimits{.peerTime = 60s, .peers = 2});
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    Peer slow1(sandbox.serverName());
    Peer slow2(sandbox.serverName());
    Peer third(sandbox.serverName());
    EXPECT_TRUE(waitUntil([&] { return third.closed(); }));
    EXPECT_FALSE(slow1.closed());
    EXPECT_FALSE(slow2.closed());
}

// What a crashed instance leaves at the socket's place does not stop the next one.
TEST(SingleInstance, ReplacesALeftoverSocketFile) {
    OndrelSandbox sandbox;
    QFile leftover(sandbox.serverName());
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance first(sandbox.serverName());
    EXPECT_EQ(first.start(QString()), SingleInstance::Role::primary);
    EXPECT_EQ(QFile::permissions(sandbox.serverName()) &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
}
