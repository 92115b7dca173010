#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "OndrelApp/instance/SingleInstance.h"

#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;

// A peer of the running instance: what came back before the instance closed the line.
class Peer {
public:
    explicit Peer(const QString& serverName) {
        QObject::connect(&m_socket, &QLocalSocket::readyRead,
                         [this] { m_answer += m_socket.readAll(); });
        m_socket.connectToServer(serverName);
    }
    bool closed() const { return m_socket.state() == QLocalSocket::UnconnectedState; }
    QByteArray answer(const QByteArray& sent) {
        waitUntil([&] { return m_socket.state() == QLocalSocket::ConnectedState; });
        m_socket.write(sent);
        EXPECT_TRUE(waitUntil([&] { return closed(); }));
        return m_answer;
    }

private:
    QLocalSocket m_socket;
    QByteArray m_answer;
};

} // namespace

// A peer is held to one short, clean message in little time. What a crashed instance left at
// the socket's place does not stop the next one, whose socket is the user's alone.
TEST(SingleInstance, CutsOffPeersOutsideTheLimits) {
    QTemporaryDir runtime;
    const QString serverName = SingleInstance::serverNameIn(runtime.path());
    ASSERT_TRUE(writeFile(serverName, {})); // what a crashed instance left
    SingleInstance first(serverName, {.messageBytes = 32, .peerTime = 1s});
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    EXPECT_EQ(QFile::permissions(serverName) & 0x0066, QFile::Permissions());
    QStringList messages;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const QString& message) { messages.append(message); });

    const std::pair<QByteArray, QByteArray> cases[] = {
        {"ondrel://auth?x=%D1%8F\n", "ok\n"},
        {"ondrel://a\tb\n", ""},
        {"ondrel://\xff\xfe\n", ""},
        {"ondrel://a\nondrel://b\n", ""},
        {QByteArray(33, 'x'), ""},
        {QByteArray(40, 'x') + '\n', ""},
        {"", ""}, // nothing in time
    };
    for (const auto& [sent, answer] : cases)
        EXPECT_EQ(Peer(serverName).answer(sent), answer) << sent.constData();
    EXPECT_EQ(messages, QStringList{QStringLiteral("ondrel://auth?x=%D1%8F")});
}

TEST(SingleInstance, ServesFewPeersAtOnce) {
    QTemporaryDir runtime;
    const QString serverName = SingleInstance::serverNameIn(runtime.path());
    SingleInstance first(serverName, {.peerTime = 60s, .peers = 2});
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    Peer slow1(serverName);
    Peer slow2(serverName);
    Peer third(serverName);
    EXPECT_TRUE(waitUntil([&] { return third.closed(); }));
    EXPECT_FALSE(slow1.closed());
    EXPECT_FALSE(slow2.closed());
}

// The sender and the running instance agree on each hand-over: one the instance is too slow to
// answer in time fails and is never used, although its line waits in the socket; one answered
// in time is used. The instance here is slow while the test does not run its events.
TEST(SingleInstance, UsesAHandOverExactlyWhenItsSenderHearsSo) {
    QTemporaryDir runtime;
    const QString serverName = SingleInstance::serverNameIn(runtime.path());
    SingleInstance first(serverName);
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::primary);
    QStringList messages;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const QString& message) { messages.append(message); });
    const auto handOver = [&](const QString& message) {
        return std::async(std::launch::async, [=] {
            try {
                SingleInstance second(serverName, {.handOverTime = 300ms});
                return second.start(message) == SingleInstance::Role::handedOver;
            } catch (const std::runtime_error&) {
                return false;
            }
        });
    };
    EXPECT_FALSE(handOver(QStringLiteral("ondrel://late")).get());
    auto answered = handOver(QStringLiteral("ondrel://answered"));
    EXPECT_TRUE(waitUntil([&] { return !messages.isEmpty(); }));
    EXPECT_TRUE(answered.get());
    EXPECT_EQ(messages, QStringList{QStringLiteral("ondrel://answered")});
}
