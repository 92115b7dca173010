#include "support/QtPrinters.h"

#include "LoopbackService.h"
#include "RawConnection.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Below any HTTP client: what a browser page, a broken client or a hostile one may send.
class Transport : public testing::Test {
protected:
    QByteArray host() const { return "Host: 127.0.0.1:" + QByteArray::number(service.port()); }
    QByteArray get(const char* path, const QByteArray& headers = {}) const {
        return "GET " + QByteArray(path) + " HTTP/1.1\r\n" + host() + "\r\n" + headers + "\r\n";
    }

    LoopbackService service;
};

// DNS rebinding: a page whose own name now points at 127.0.0.1 still sends that name.
TEST_F(Transport, ServesOnlyItsLoopbackNamesBeforeAnyRoute) {
    const QByteArray port = QByteArray::number(service.port());
    const std::pair<QByteArray, int> cases[]{
        {"Host: 127.0.0.1:" + port, 404},
        {"Host: localhost:" + port, 404},
        {"Host: LocalHost:" + port, 404},
        {"Host: [::1]:" + port, 404},
        {"Host: evil.example:" + port, 421},
        {"Host: 127.0.0.1.evil.example:" + port, 421},
        {"Host: 127.0.0.1:" + port + "0", 421},
        {"Host: localhost", 421},
        {"X-No-Host: 1", 400},
    };
    for (const auto& [header, status] : cases) {
        RawConnection connection(service.port());
        connection.send("GET /nothing HTTP/1.1\r\n" + header + "\r\n\r\n");
        const std::optional<RawConnection::Answer> answer = connection.answer();
        ASSERT_TRUE(answer) << header.constData();
        EXPECT_EQ(answer->status, status) << header.constData();
    }
}

// Each is answered once; a refusal and a request that asks for it close the connection.
TEST_F(Transport, AnswersEdgeCasesOnceAndClosesWhereItMust) {
    struct Case {
        const char* name;
        QByteArray request;
        int status;
        bool closes;
    };
    const Case cases[]{
        {"garbage", "HELLO THERE\r\n\r\n", 400, true},
        {"Content-Length with chunked",
         "POST /tasks HTTP/1.1\r\n" + host() +
             "\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
         400, true},
        {"long URL", get("/" + QByteArray(9 * 1024, 'a')), 414, true},
        {"long headers", get("/nothing", "X-Big: " + QByteArray(17 * 1024, 'a') + "\r\n"), 431,
         true},
        // Refused on its header alone: none of the 100 MB is ever sent, let alone held.
        {"100 MB body",
         "POST /captures HTTP/1.1\r\n" + host() + "\r\nContent-Length: 104857600\r\n\r\n", 413,
         true},
        {"Connection: close", get("/nothing", "Connection: close\r\n"), 404, true},
        {"HTTP/1.0", "GET /nothing HTTP/1.0\r\n\r\n", 404, true},
        {"WebSocket upgrade",
         get("/nothing", "Connection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: "
                         "13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"),
         404, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawConnection connection(service.port());
        connection.send(c.request);
        const std::optional<RawConnection::Answer> answer = connection.answer();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, c.status);
        if (c.closes) {
            EXPECT_TRUE(connection.closedByPeer());
            EXPECT_TRUE(connection.received().isEmpty()) << connection.received().constData();
            continue;
        }
        // Kept open, with nothing more than that one answer on it.
        connection.send(get("/auth/yandex/start"));
        const std::optional<RawConnection::Answer> next = connection.answer();
        ASSERT_TRUE(next);
        EXPECT_EQ(next->status, 200);
    }
}

TEST_F(Transport, HeadIsGetWithoutTheBody) {
    RawConnection connection(service.port());
    connection.send("HEAD /auth/yandex/start HTTP/1.1\r\n" + host() + "\r\n\r\n");
    const std::optional<RawConnection::Answer> head = connection.answer(true);
    ASSERT_TRUE(head);
    connection.send(get("/auth/yandex/start"));
    const std::optional<RawConnection::Answer> full = connection.answer();
    ASSERT_TRUE(full);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->head, full->head);
    EXPECT_GT(full->body.size(), 0);
}

// Idle connections are closed, and make room for a newcomer when the service is full; only
// when every connection is busy is a newcomer refused, at once.
TEST(TransportLimits, IdleConnectionsNeitherStayNorStarveANewClient) {
    LoopbackService service({}, HttpLimits{.maxConnections = 4, .idleTimeout = 300ms});
    const QByteArray request =
        "GET /nothing HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(service.port()) +
        "\r\n\r\n";
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 12; ++i)
        idle.push_back(std::make_unique<RawConnection>(service.port()));
    RawConnection newcomer(service.port());
    newcomer.send(request);
    const std::optional<RawConnection::Answer> served = newcomer.answer();
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 404);
    for (const auto& connection : idle)
        EXPECT_TRUE(connection->closedByPeer());
    EXPECT_TRUE(newcomer.closedByPeer()); // after its answer it waited, too long

    // Requests that have begun and not ended: each waits for its body.
    std::vector<std::unique_ptr<RawConnection>> busy;
    for (int i = 0; i < 4; ++i) {
        busy.push_back(std::make_unique<RawConnection>(service.port()));
        busy.back()->send(
            "POST /tasks HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(service.port()) +
            "\r\nContent-Length: 10\r\nExpect: 100-continue\r\n\r\n");
        const std::optional<RawConnection::Answer> goAhead = busy.back()->answer();
        ASSERT_TRUE(goAhead);
        EXPECT_EQ(goAhead->status, 100);
    }
    RawConnection refused(service.port());
    const std::optional<RawConnection::Answer> answer = refused.answer();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 503);
    EXPECT_EQ(RawConnection::header("retry-after", answer->head), "1");
}

} // namespace
