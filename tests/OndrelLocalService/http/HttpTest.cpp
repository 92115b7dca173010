#include "LoopbackService.h"
#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "RawConnection.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Below any HTTP client: what a browser page, a broken client or a hostile one may send.
class HttpTest : public testing::Test {
protected:
    RawConnection::Answer call(const QByteArray& method, const QByteArray& target,
                               const QByteArray& body = {}, const QByteArray& scheme = "Bearer ") {
        return RawConnection(service.port())
            .request(method, target, body, "Authorization: " + scheme + token + "\r\n");
    }
    QByteArray host() const { return "Host: 127.0.0.1:" + QByteArray::number(service.port()); }
    QByteArray get(const char* path, const QByteArray& headers = {}) const {
        return "GET " + QByteArray(path) + " HTTP/1.1\r\n" + host() + "\r\n" + headers + "\r\n";
    }

    void SetUp() override {
        const auto signedIn = call("POST", "/auth/yandex", R"({"accessToken":"t"})");
        token = QJsonDocument::fromJson(signedIn.body)["accessToken"].toString().toLatin1();
        ASSERT_FALSE(token.isEmpty());
    }

    LoopbackService service{ServiceRouter::Settings{.auth = {.accessTTL = 60s}}};
    QByteArray token;
};

// Unknown paths are 404 and wrong methods 405 with Allow; a malformed body is 400 and the
// answer names the problem. The bearer scheme's case does not matter; the token must be one the
// service gave and still live.
TEST_F(HttpTest, RefusesBadRequestsNamingTheProblemAndTokensNoLongerLive) {
    const struct {
        const char* method;
        const char* path;
        QByteArray body;
        int status;
        const char* mentions; // in the body, or for 405 the whole Allow header
    } cases[]{
        {"PUT", "/folders", {}, 405, "GET, POST"},
        {"DELETE", "/folders/x?tasks=keep", {}, 404, ""},
        {"GET", "/tasks?status=todo", {}, 400, "status"},
        {"POST", "/tasks", "{", 400, "JSON"},
        {"POST", "/tasks", R"({"title":"x","type":"task"})", 400, "type"},
        {"POST", "/tasks", R"({"title":"  "})", 400, "title"},
        {"POST", "/folders", "{}", 400, "name"},
        {"POST", "/sync", R"({"tasks":[{"id":"x"}]})", 400, "tasks[0].updatedAt"},
        {"POST", "/tasks", QByteArray(200, '[') + QByteArray(200, ']'), 400, ""},
        {"POST", "/tasks", R"({"title":")" + QByteArray(1001, 'x') + R"("})", 400, "title"},
        {"POST", "/tasks", R"({"title":"x","body":")" + QByteArray(100'001, 'x') + R"("})", 400,
         "body"},
        {"POST", "/folders", R"({"name":")" + QByteArray(1001, 'x') + R"("})", 400, "name"},
        {"POST", "/assistant", R"({"text":")" + QByteArray(1001, 'x') + R"("})", 400, "text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((QByteArray(c.method) + ' ' + c.path + ' ' + c.body.left(60)).toStdString());
        const auto answer = call(c.method, c.path, c.body);
        EXPECT_EQ(answer.status, c.status);
        if (c.status == 405)
            EXPECT_EQ(RawConnection::header("allow", answer.head), QByteArray(c.mentions));
        else
            EXPECT_TRUE(answer.body.contains(c.mentions)) << answer.body.constData();
    }
    EXPECT_EQ(call("GET", "/auth/me", {}, "bearer ").status, 200);
    EXPECT_EQ(call("GET", "/auth/me", {}, "Basic ").status, 401);
    EXPECT_EQ(call("GET", "/auth/me", {}, "Bearer x").status, 401);
    service.advance(std::chrono::seconds(61));
    EXPECT_EQ(call("GET", "/folders").status, 401);
}

// Each is answered once; a refusal and a request that asks for it close the connection. Only
// loopback names are served, before any route (DNS rebinding: a page whose own name now points
// at 127.0.0.1 still sends that name).
TEST_F(HttpTest, AnswersEdgeCasesOnceAndClosesWhereItMust) {
    const QByteArray port = QByteArray::number(service.port());
    const auto named = [](const QByteArray& host) {
        return "GET /nothing HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    };
    struct Case {
        const char* name;
        QByteArray request;
        int status;
        bool closes;
        bool head = false; // an answer to HEAD: GET's head without the body
    };
    const Case cases[]{
        {"localhost", named("localhost:" + port), 404, false},
        {"[::1]", named("[::1]:" + port), 404, false},
        {"another name", named("evil.example:" + port), 421, true},
        {"another port", named("127.0.0.1:" + port + "0"), 421, true},
        {"no port", named("localhost"), 421, true},
        {"no Host", "GET /nothing HTTP/1.1\r\n\r\n", 400, true},
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
        {"HEAD", "HEAD /auth/yandex/start HTTP/1.1\r\n" + host() + "\r\n\r\n", 200, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawConnection connection(service.port());
        connection.send(c.request);
        const std::optional<RawConnection::Answer> answer = connection.answer(c.head);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, c.status);
        if (c.closes) {
            EXPECT_TRUE(connection.closedByPeer());
            EXPECT_TRUE(connection.received().isEmpty()) << connection.received().constData();
            continue;
        }
        // Kept open, with nothing more than that one answer on it (HEAD: no body).
        EXPECT_EQ(connection.request("GET", "/auth/yandex/start").status, 200);
    }
}

// Idle connections are closed, and make room for a newcomer when the service is full; only
// when every connection is busy is a newcomer refused, at once.
TEST(HttpConnections, IdleConnectionsNeitherStayNorStarveANewClient) {
    LoopbackService service({}, HttpLimits{.maxConnections = 4, .idleTimeout = 300ms});
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 12; ++i)
        idle.push_back(std::make_unique<RawConnection>(service.port()));
    RawConnection newcomer(service.port());
    EXPECT_EQ(newcomer.request("GET", "/nothing").status, 404);
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

RawConnection::Answer get(const QUrl& url) {
    return RawConnection(quint16(url.port())).request("GET", url.path(QUrl::FullyEncoded).toUtf8());
}

// The feed as the client reads it: a build of 0.1.0 finds itself listed and nothing to install
// until the service offers a package, which it then serves, and only that.
TEST(UpdateFeed, ListsThisBuildAndServesTheOfferedPackage) {
    const QTemporaryDir folder;
    const QString package = folder.filePath(QStringLiteral("ondrel_0.2.0_amd64.deb"));
    ASSERT_TRUE(writeFile(package, QByteArray(5000, 'd')));
    ASSERT_TRUE(writeFile(package + ".sig", QByteArray(64, 's').toBase64() + '\n'));
    const auto feed = [&](std::optional<UpdateFeed::Offer> offer) {
        const LoopbackService service(ServiceRouter::Settings{
            .updates = {.buildVersion = QStringLiteral("0.1.0"), .offer = std::move(offer)}});
        const QUrl url = service.baseURL().resolved(QUrl(QStringLiteral("/appcast.xml")));
        const QList<AppcastItem> items = AppcastParser::parse(get(url).body, url);
        const auto found = UpdateChoice::newest(items, *AppVersion::parse(u"0.1.0"_qs), u"12"_qs);
        if (found) {
            EXPECT_EQ(get(found->enclosure.url).body, QByteArray(5000, 'd'));
            const QUrl other = found->enclosure.url.resolved(QUrl(QStringLiteral("other.deb")));
            EXPECT_EQ(get(other).status, 404);
        }
        return std::pair(items, found);
    };
    const auto [listed, none] = feed(std::nullopt);
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].version, QStringLiteral("0.1.0"));
    EXPECT_FALSE(none);
    const std::optional<AppcastItem> found =
        feed(UpdateFeed::Offer::load(package, QStringLiteral("0.2.0"))).second;
    ASSERT_TRUE(found);
    EXPECT_EQ(found->version, QStringLiteral("0.2.0"));
    EXPECT_EQ(found->enclosure.length, 5000);
    EXPECT_EQ(found->enclosure.edSignature, QByteArray(64, 's'));

    // An offer needs a signature of the right length.
    ASSERT_TRUE(writeFile(package + ".sig", "c2hvcnQ="));
    EXPECT_THROW(UpdateFeed::Offer::load(package, u"0.2.0"_qs), std::invalid_argument);
}

} // namespace
