#include "support/AwaitTask.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"

#include <QHttpServer>
#include <QMetaEnum>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the loopback server saw of one request.
struct Seen {
    QByteArray method;
    QByteArray target; // path and query, as they came over the wire
    QUrlQuery query;
    QByteArray body;
    QByteArray contentType;
    QByteArray contentLength;
};

// An HTTP server on 127.0.0.1 that records every request and answers through `answer`.
class LoopbackServer {
public:
    std::function<std::pair<int, QByteArray>(const Seen&)> answer = [](const Seen& seen) {
        return std::pair{200, seen.body};
    };
    QList<Seen> seen;

    LoopbackServer() {
        m_server.setMissingHandler(
            [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                seen.append(record(request));
                const auto [status, body] = answer(seen.last());
                responder.write(body, "application/octet-stream",
                                static_cast<QHttpServerResponder::StatusCode>(status));
            });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
    }

    QUrl url(const char* target) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(target));
    }

private:
    static Seen record(const QHttpServerRequest& request) {
        const auto methods = QMetaEnum::fromType<QHttpServerRequest::Method>();
        return Seen{QByteArray(methods.valueToKey(int(request.method()))).toUpper(),
                    request.url().toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority),
                    request.query(),
                    request.body(),
                    request.value("Content-Type"),
                    request.value("Content-Length")};
    }

    QHttpServer m_server;
    quint16 m_port = 0;
};

// A TCP server that accepts connections and answers each with fixed bytes, or never.
class RawServer {
public:
    explicit RawServer(std::optional<QByteArray> reply) : m_reply(std::move(reply)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                if (m_reply) {
                    socket->write(*m_reply);
                    socket->disconnectFromHost();
                }
            });
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

private:
    QTcpServer m_server;
    std::optional<QByteArray> m_reply;
};

HTTPRequest makeRequest(QUrl url, QByteArray method, std::optional<QByteArray> body = {}) {
    HTTPRequest request;
    request.url = std::move(url);
    request.method = std::move(method);
    request.body = std::move(body);
    if (request.body)
        request.headers.emplaceBack("Content-Type", "application/json");
    return request;
}

HTTPResponse send(HTTPRequest request) {
    NetworkTransport transport;
    return awaitTask(transport.send(std::move(request)));
}

QUrl rawURL(quint16 port) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port));
}

} // namespace

TEST(NetworkTransport, EveryStatusComesBackAsData) {
    const std::pair<int, QByteArray> cases[] = {
        {200, R"({"id":"usr_01"})"},     {204, ""}, {401, "expired"}, {403, "forbidden"},
        {500, "bad \xff\xfe\x00 bytes"},
    };
    for (const auto& [status, body] : cases) {
        LoopbackServer server;
        server.answer = [&](const Seen&) { return std::pair{status, body}; };
        const HTTPResponse response = send(makeRequest(server.url("/auth/me"), "GET"));
        EXPECT_EQ(response.statusCode, status);
        EXPECT_EQ(response.body, body) << status;
    }
}

// POST and PATCH always state their length, 0 without a body: some front ends answer 411.
// A redirect comes back as it is: following it would hand the token to another address.
TEST(NetworkTransport, RedirectsAreNotFollowed) {
    LoopbackServer elsewhere;
    RawServer redirecting(
        "HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url("/stolen").toEncoded() +
        "\r\nContent-Length: 5\r\n\r\nmoved");
    HTTPRequest request = makeRequest(rawURL(redirecting.port()), "GET");
    request.headers.emplaceBack("Authorization", "Bearer tok");
    const HTTPResponse response = send(request);
    EXPECT_EQ(response.statusCode, 302);
    EXPECT_EQ(response.body, "moved");
    EXPECT_TRUE(elsewhere.seen.isEmpty());
}

TEST(NetworkTransport, ServerSeesMethodHeadersAndBody) {
    const struct {
        QByteArray method;
        std::optional<QByteArray> body;
        QByteArray contentLength;
    } cases[] = {
        {"GET", std::nullopt, ""},    {"POST", R"({"text":"ж"})", "13"},
        {"POST", std::nullopt, "0"},  {"PATCH", R"({"status":"DONE"})", "17"},
        {"PATCH", std::nullopt, "0"}, {"DELETE", R"({"why":"x"})", "11"},
        {"DELETE", std::nullopt, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.method.constData());
        LoopbackServer server;
        const HTTPResponse response =
            send(makeRequest(server.url("/tasks/t1"), row.method, row.body));
        ASSERT_EQ(server.seen.size(), 1);
        EXPECT_EQ(server.seen[0].method, row.method);
        EXPECT_EQ(server.seen[0].target, "/tasks/t1");
        EXPECT_EQ(server.seen[0].body, row.body.value_or(""));
        EXPECT_EQ(server.seen[0].contentType, row.body ? "application/json" : "");
        EXPECT_EQ(server.seen[0].contentLength, row.contentLength);
        EXPECT_EQ(response.body, row.body.value_or(""));
    }
}

TEST(NetworkTransport, MissingOrIncompleteAnswersThrowTransportError) {
    RawServer refused(std::nullopt);
    const quint16 closedPort = refused.port();
    refused.close();
    RawServer silent(std::nullopt);
    RawServer cutOff(QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"id\":"));

    const struct {
        const char* name;
        quint16 port;
        QNetworkReply::NetworkError error;
        QString description;
    } cases[] = {
        {"refused", closedPort, QNetworkReply::ConnectionRefusedError,
         QStringLiteral("нет соединения с сервисом")},
        {"never answers", silent.port(), QNetworkReply::TimeoutError,
         QStringLiteral("сервис не отвечает")},
        {"cut off mid-body", cutOff.port(), QNetworkReply::RemoteHostClosedError,
         QStringLiteral("сервис разорвал соединение")},
    };
    for (const auto& row : cases) {
        HTTPRequest request = makeRequest(rawURL(row.port), "GET");
        request.timeout = std::chrono::seconds(1);
        try {
            send(request);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const TransportError& error) {
            EXPECT_EQ(error.error(), row.error) << row.name;
            EXPECT_EQ(error.description(), row.description) << row.name;
        }
    }
}

TEST(NetworkTransport, NonHTTPAnswerIsAnInvalidResponse) {
    try {
        send(makeRequest(QUrl(QStringLiteral("data:application/json,{}")), "GET"));
        ADD_FAILURE() << "no error";
    } catch (const APIError& error) {
        EXPECT_EQ(error.kind(), APIError::Kind::invalidResponse);
    }
}

// Through the real stack, awkward ids and query values reach the server exactly as given.
TEST(NetworkTransport, IdsAndQueryValuesArriveIntact) {
    LoopbackServer server;
    server.answer = [](const Seen&) { return std::pair{200, QByteArray("[]")}; };
    const APIClient client(server.url(""), std::make_shared<NetworkTransport>(), "tok");
    const QString folder = QStringLiteral("a+b&c=d#e f/ж%20;?");
    EXPECT_TRUE(awaitTask(client.listTasks(folder, TaskStatus::todo)).isEmpty());
    EXPECT_THROW(awaitTask(client.completeTask("a/b?c#d e")), DecodingError);
    ASSERT_EQ(server.seen.size(), 2);
    EXPECT_EQ(server.seen[0].query.queryItemValue("folderId", QUrl::FullyDecoded), folder);
    EXPECT_EQ(server.seen[0].query.queryItemValue("status"), "TODO");
    EXPECT_FALSE(server.seen[0].target.contains('+')) << "a form decoder would read a space";
    EXPECT_EQ(server.seen[1].target, "/tasks/a%2Fb%3Fc%23d%20e/complete");
}
