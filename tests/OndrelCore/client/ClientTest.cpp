#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;
using Call = std::function<QCoro::Task<void>(const APIClient&)>;

template <class T>
QCoro::Task<void> discard(QCoro::Task<T> task) {
    co_await std::move(task);
}

const QByteArray userJSON = R"({"id":"usr_01","timezone":"Europe/Moscow","locale":"ru_RU"})";
const QByteArray taskJSON =
    R"({"id":"tsk_9","userId":"usr_01","type":"TASK","title":"Купить молоко","status":"TODO",)"
    R"("priority":"NONE","hasDeadline":false,"tags":[],"needsClarification":false,)"
    R"("source":"TEXT","createdAt":"2024-05-01T00:00:00Z","updatedAt":"2024-05-01T00:00:00Z",)"
    R"("deleted":false,"serverUpdatedAt":"2024-05-01T00:00:00Z"})";

APIClient client(std::shared_ptr<HTTPTransport> transport,
                 std::optional<QString> token = QStringLiteral("tok")) {
    return APIClient(QUrl(QStringLiteral("https://api.example.test/v1")), std::move(transport),
                     std::move(token));
}

// One request as it came over the wire.
struct Seen {
    QByteArray head; // request line and headers
    QByteArray body;
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

HTTPResponse send(QUrl url, QByteArray method, std::optional<QByteArray> body = {},
                  std::chrono::seconds timeout = std::chrono::seconds(60)) {
    HTTPRequest request;
    request.url = std::move(url);
    request.method = std::move(method);
    request.body = std::move(body);
    request.headers.emplaceBack("Authorization", "Bearer tok");
    request.timeout = timeout;
    NetworkTransport transport;
    return awaitTask(transport.send(std::move(request)));
}

} // namespace

// The rules of building requests that the service itself would not notice (every operation also
// runs against it in the contract tests): the exact request on the wire and its answer decoded,
// awaited on a client that no longer exists. A client without a token sends no Authorization.
TEST(APIClient, OperationsSendTheirRequestAndDecodeTheirAnswer) {
    const auto none = std::nullopt;
    const struct {
        Call call;
        QByteArray method;
        QByteArray target; // path and query exactly as sent
        std::optional<QByteArray> body;
        bool auth;
        QByteArray answer;
    } cases[] = {
        {[](auto& c) { return discard(c.loginYandex("ya.token")); }, "POST", "/v1/auth/yandex",
         R"({"accessToken":"ya.token"})", false, fixture("auth_response.json")},
        {[](auto& c) { return discard(c.syncPull(at("2024-06-01T09:30:00.250Z"))); }, "GET",
         "/v1/sync?since=2024-06-01T09:30:00Z", none, true, fixture("sync_pull.json")},
        {[](auto& c) { return discard(c.reprocess("c2")); }, "POST", "/v1/captures/c2/reprocess",
         "{}", true, fixture("reprocess.json")},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.target.toStdString());
        auto transport = std::make_shared<FakeTransport>();
        transport->enqueue(200, row.answer);
        auto task = [&] { return row.call(client(transport)); }();
        awaitTask(std::move(task));
        ASSERT_EQ(transport->requests().size(), 1);
        const HTTPRequest& sent = transport->requests().front();
        Headers headers;
        if (row.body)
            headers.emplaceBack("Content-Type", "application/json");
        if (row.auth)
            headers.emplaceBack("Authorization", "Bearer tok");
        EXPECT_EQ(sent.method, row.method);
        EXPECT_EQ(sent.url.host(), "api.example.test");
        EXPECT_EQ(sent.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority), row.target);
        EXPECT_EQ(sent.headers, headers);
        EXPECT_EQ(sent.body, row.body);
        EXPECT_EQ(sent.timeout, std::chrono::seconds(60));
        EXPECT_EQ(sent.cachePolicy, QNetworkRequest::AlwaysNetwork);
    }
    auto transport = std::make_shared<FakeTransport>();
    transport->enqueue(200, userJSON);
    awaitTask(client(transport, std::nullopt).me());
    EXPECT_FALSE(transport->requests().front().header("Authorization"));
}

// An answer other than 2xx is the service's error, its body read leniently; a 2xx answer that
// is not the result is the decoder's. Big ones are decoded off the GUI thread, whose event loop
// keeps turning meanwhile: a 5 ms timer keeps firing (a decode on the GUI thread would leave one
// or two ticks in all).
TEST(APIClient, UnexpectedAnswersFailWithoutStallingTheLoop) {
    QByteArray manyTasks = "[" + taskJSON;
    while (manyTasks.size() < 25 * 1024 * 1024)
        manyTasks += "," + taskJSON;
    manyTasks += ",{\"id\":";
    const struct {
        int status;
        QByteArray body;
        std::optional<APIError> expected; // none: the decoder's error
    } cases[] = {
        {401, "token expired", APIError::unauthorized()},
        {500, "bad \xff\xfe bytes", APIError::http(500, QStringLiteral("bad \uFFFD\uFFFD bytes"))},
        {302, "moved", APIError::http(302, "moved")},
        {200, fixture("task_list.json").chopped(40), std::nullopt},
        {200, manyTasks, std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.status);
        auto transport = std::make_shared<FakeTransport>();
        transport->enqueue(row.status, row.body);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        QElapsedTimer clock;
        clock.start();
        try {
            awaitTask(client(transport).listTasks());
            ADD_FAILURE() << "no error";
        } catch (const APIError& error) {
            EXPECT_TRUE(row.expected && error == *row.expected) << error.what();
        } catch (const DecodingError&) {
            EXPECT_FALSE(row.expected);
        }
        if (row.body.size() == manyTasks.size() && clock.elapsed() >= 100) {
            EXPECT_GE(ticks, clock.elapsed() / 50) << "the event loop stalled during the decode";
        }
    }
}

// What cannot be one path segment, a token that would break its header line, and a base URL
// that does not make a URL or would carry the tokens in clear text: refused, nothing sent.
TEST(APIClient, RefusedRequestsSendNothing) {
    using Reason = RequestRefusal::Reason;
    const auto base = [](const char* text) { return QUrl(QString::fromLatin1(text)); };
    const QUrl good = base("https://api.example.test/v1");
    const Call me = [](const APIClient& c) { return discard(c.me()); };
    const struct {
        QUrl baseURL;
        QString token;
        Call call;
        Reason reason;
    } cases[] = {
        {good, "tok", [](auto& c) { return discard(c.deleteTask("")); }, Reason::unusableId},
        {good, "tok", [](auto& c) { return discard(c.patchTask("..", {})); }, Reason::unusableId},
        {good, "tok\r\nX-Evil: 1", me, Reason::unsafeToken},
        {base(""), "tok", me, Reason::unusableURL},
        {base("http://api.example.test"), "tok", me, Reason::insecureAddress},
        {base("ftp://127.0.0.1"), "tok", me, Reason::insecureAddress},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.baseURL.toString().toStdString() + " " + std::to_string(int(row.reason)));
        auto transport = std::make_shared<FakeTransport>();
        try {
            awaitTask(row.call(APIClient(row.baseURL, transport, row.token)));
            ADD_FAILURE() << "not refused";
        } catch (const RequestRefusal& refusal) {
            EXPECT_EQ(refusal.reason(), row.reason);
        }
        EXPECT_TRUE(transport->requests().isEmpty());
    }
}

// The server sees method, body and headers as sent; every status comes back as data, a redirect
// too: following it would hand the token to another address. POST and PATCH always state their
// length, 0 without a body: some front ends answer 411.
TEST(NetworkTransport, CarriesTheRequestAndReturnsEveryStatus) {
    const struct {
        QByteArray method;
        std::optional<QByteArray> body;
        QByteArray contentLength;
        int status;
    } cases[] = {
        {"GET", std::nullopt, "", 200},
        {"POST", QByteArray("{\"text\":\"ж\xff\0\"}", 15), "15", 401},
        {"POST", std::nullopt, "0", 403},
        {"PATCH", std::nullopt, "0", 500},
        {"DELETE", std::nullopt, "", 200},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.method.constData());
        RawServer server([&](const Seen& seen) { return answer(row.status, seen.body); });
        const HTTPResponse response = send(server.url("/tasks/t1"), row.method, row.body);
        ASSERT_EQ(server.seen.size(), 1);
        EXPECT_TRUE(server.seen[0].head.startsWith(row.method + " /tasks/t1 HTTP/1.1\r\n"));
        EXPECT_EQ(server.seen[0].body, row.body.value_or(""));
        EXPECT_EQ(server.seen[0].header("Authorization"), "Bearer tok");
        EXPECT_EQ(server.seen[0].header("Content-Length"), row.contentLength);
        EXPECT_EQ(response.statusCode, row.status);
        EXPECT_EQ(response.body, row.body.value_or(""));
    }
    RawServer elsewhere(answer(200, "stolen"));
    RawServer redirecting("HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url().toEncoded() +
                          "\r\nContent-Length: 5\r\n\r\nmoved");
    const HTTPResponse response = send(redirecting.url(), "GET");
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
        try {
            send(row.url, "GET", std::nullopt, std::chrono::seconds(1));
            ADD_FAILURE() << row.description.toStdString() << ": no error";
        } catch (const TransportError& error) {
            EXPECT_EQ(error.error(), row.error);
            EXPECT_EQ(error.description(), row.description);
        }
    }
    try {
        send(QUrl(QStringLiteral("data:application/json,{}")), "GET");
        ADD_FAILURE() << "a non-HTTP answer passed";
    } catch (const APIError& error) {
        EXPECT_EQ(error.kind(), APIError::Kind::invalidResponse);
    }
}
