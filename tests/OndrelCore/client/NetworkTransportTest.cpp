#include "support/AwaitTask.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <functional>

namespace {

// One request as it came over the wire.
struct Seen {
    QByteArray head; // request line and headers
    QByteArray body;
    QByteArray line() const { return head.left(head.indexOf("\r\n")); }
    QByteArray target() const { return line().split(' ').value(1); }
    QByteArray header(const QByteArray& name) const {
        for (const QByteArray& field : head.split('\n'))
            if (field.toLower().startsWith(name.toLower() + ':'))
                return field.mid(name.size() + 1).trimmed();
        return {};
    }
};

// A TCP server on 127.0.0.1 that records every whole request and answers it with the bytes
// `reply` gives, or never when it gives none.
class RawServer {
public:
    explicit RawServer(std::function<std::optional<QByteArray>(const Seen&)> reply)
        : m_reply(std::move(reply)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QByteArray& bytes = m_buffers[socket];
                bytes += socket->readAll();
                const qsizetype end = bytes.indexOf("\r\n\r\n");
                Seen request{bytes.left(end + 2), bytes.mid(end + 4)};
                if (end < 0 || request.body.size() < request.header("Content-Length").toInt())
                    return;
                seen.append(request);
                if (const auto answer = m_reply(request)) {
                    socket->write(*answer);
                    socket->disconnectFromHost();
                }
            });
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    explicit RawServer(std::optional<QByteArray> fixed)
        : RawServer([fixed](const Seen&) { return fixed; }) {}

    QUrl url(const char* target = "/x") const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(target));
    }
    void close() { m_server.close(); }

    QList<Seen> seen;

private:
    QTcpServer m_server;
    std::function<std::optional<QByteArray>(const Seen&)> m_reply;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

QByteArray answer(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

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

} // namespace

// The server sees method, headers and body as sent; every status comes back as data. POST and
// PATCH always state their length, 0 without a body: some front ends answer 411.
TEST(NetworkTransport, CarriesMethodHeadersBodyAndStatus) {
    const struct {
        QByteArray method;
        std::optional<QByteArray> body;
        QByteArray contentLength;
        int status;
    } cases[] = {
        {"GET", std::nullopt, "", 200},
        {"POST", QByteArray("{\"text\":\"ж\xff\0\"}", 15), "15", 401},
        {"POST", std::nullopt, "0", 403},
        {"PATCH", R"({"status":"DONE"})", "17", 500},
        {"PATCH", std::nullopt, "0", 200},
        {"DELETE", R"({"why":"x"})", "11", 200},
        {"DELETE", std::nullopt, "", 200},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.method.constData());
        RawServer server([&](const Seen& seen) { return answer(row.status, seen.body); });
        const HTTPResponse response =
            send(makeRequest(server.url("/tasks/t1"), row.method, row.body));
        ASSERT_EQ(server.seen.size(), 1);
        EXPECT_EQ(server.seen[0].line(), row.method + " /tasks/t1 HTTP/1.1");
        EXPECT_EQ(server.seen[0].body, row.body.value_or(""));
        EXPECT_EQ(server.seen[0].header("Content-Type"), row.body ? "application/json" : "");
        EXPECT_EQ(server.seen[0].header("Content-Length"), row.contentLength);
        EXPECT_EQ(response.statusCode, row.status);
        EXPECT_EQ(response.body, row.body.value_or(""));
    }
}

// A redirect comes back as it is: following it would hand the token to another address.
TEST(NetworkTransport, RedirectsAreNotFollowed) {
    RawServer elsewhere(answer(200, "stolen"));
    RawServer redirecting("HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url().toEncoded() +
                          "\r\nContent-Length: 5\r\n\r\nmoved");
    HTTPRequest request = makeRequest(redirecting.url(), "GET");
    request.headers.emplaceBack("Authorization", "Bearer tok");
    const HTTPResponse response = send(request);
    EXPECT_EQ(response.statusCode, 302);
    EXPECT_EQ(response.body, "moved");
    EXPECT_TRUE(elsewhere.seen.isEmpty());
}

TEST(NetworkTransport, MissingOrIncompleteAnswersThrowTransportError) {
    RawServer refused(std::nullopt);
    const QUrl closed = refused.url();
    refused.close();
    RawServer silent(std::nullopt);
    RawServer cutOff(QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"id\":"));

    const struct {
        QUrl url;
        QNetworkReply::NetworkError error;
        QString description;
    } cases[] = {
        {closed, QNetworkReply::ConnectionRefusedError, "нет соединения с сервисом"},
        {silent.url(), QNetworkReply::TimeoutError, "сервис не отвечает"},
        {cutOff.url(), QNetworkReply::RemoteHostClosedError, "сервис разорвал соединение"},
    };
    for (const auto& row : cases) {
        HTTPRequest request = makeRequest(row.url, "GET");
        request.timeout = std::chrono::seconds(1);
        try {
            send(request);
            ADD_FAILURE() << row.description.toStdString() << ": no error";
        } catch (const TransportError& error) {
            EXPECT_EQ(error.error(), row.error);
            EXPECT_EQ(error.description(), row.description);
        }
    }
    try {
        send(makeRequest(QUrl(QStringLiteral("data:application/json,{}")), "GET"));
        ADD_FAILURE() << "a non-HTTP answer passed";
    } catch (const APIError& error) {
        EXPECT_EQ(error.kind(), APIError::Kind::invalidResponse);
    }
}

// Through the real stack, awkward ids and query values reach the server exactly as given.
TEST(NetworkTransport, IdsAndQueryValuesArriveIntact) {
    RawServer server(answer(200, "[]"));
    const APIClient client(server.url(""), std::make_shared<NetworkTransport>(), "tok");
    const QString folder = QStringLiteral("a+b&c=d#e f/ж%20;?");
    EXPECT_TRUE(awaitTask(client.listTasks(folder, TaskStatus::todo)).isEmpty());
    EXPECT_THROW(awaitTask(client.completeTask("a/b?c#d e")), DecodingError);
    ASSERT_EQ(server.seen.size(), 2);
    const QUrlQuery query(QUrl::fromEncoded(server.seen[0].target()));
    EXPECT_EQ(query.queryItemValue("folderId", QUrl::FullyDecoded), folder);
    EXPECT_EQ(query.queryItemValue("status"), "TODO");
    EXPECT_FALSE(server.seen[0].target().contains('+')) << "a form decoder would read a space";
    EXPECT_EQ(server.seen[1].target(), "/tasks/a%2Fb%3Fc%23d%20e/complete");
}
