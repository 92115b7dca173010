#include "support/QtPrinters.h"

#include "HttpCall.h"
#include "LoopbackService.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

// Plain HTTP, below the API client: methods, paths and bodies the client would never send.
class HttpTest : public testing::Test {
protected:
    HttpAnswer call(const QByteArray& method, const QString& path, const QByteArray& body = {},
                    bool withToken = true) {
        return httpCall(network, QUrl(service.baseURL().toString() + path, QUrl::StrictMode),
                        method, body, withToken && !token.isEmpty() ? scheme + token : "");
    }

    void SetUp() override {
        const HttpAnswer answer = call("POST", QStringLiteral("/auth/yandex"),
                                       R"({"accessToken":"yandex-token"})", false);
        ASSERT_EQ(answer.status, 200) << answer.body.constData();
        token = QJsonDocument::fromJson(answer.body)["accessToken"].toString().toLatin1();
    }

    LoopbackService service{
        ServiceRouter::Settings{.auth = {.accessTTL = std::chrono::seconds(60)}}};
    QNetworkAccessManager network;
    QByteArray scheme = "Bearer ";
    QByteArray token;
};

TEST_F(HttpTest, UnknownPathsAre404AndWrongMethods405WithAllow) {
    struct Case {
        const char* method;
        const char* path;
        int status;
        const char* allow;
    };
    const Case cases[]{
        {"PUT", "/folders", 405, "GET, POST"},
        {"GET", "/tasks/x/complete", 405, "POST"},
        {"POST", "/tasks/x", 405, "PATCH, DELETE"},
        {"GET", "/nothing", 404, ""},
        {"GET", "/tasks/", 404, ""},
        {"GET", "/tasks//complete", 404, ""},
        {"DELETE", "/folders/unknown?tasks=delete", 404, ""},
        {"GET", "/captures/unknown", 404, ""},
    };
    for (const Case& c : cases) {
        const HttpAnswer answer = call(c.method, QString::fromLatin1(c.path));
        EXPECT_EQ(answer.status, c.status) << c.method << ' ' << c.path;
        EXPECT_EQ(answer.allow, QByteArray(c.allow)) << c.method << ' ' << c.path;
    }
}

TEST_F(HttpTest, IdsInPathsArePercentDecodedPerSegment) {
    const QString id = QStringLiteral("офлайн/1 ?#%");
    const QByteArray push = R"({"tasks":[{"id":")" + id.toUtf8() +
                            R"(","title":"с ноутбука","updatedAt":"2020-01-01T00:00:00Z"}]})";
    ASSERT_EQ(call("POST", QStringLiteral("/sync"), push).status, 200);
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(id));
    const HttpAnswer patched =
        call("PATCH", QStringLiteral("/tasks/") + encoded, R"({"title":"переименована"})");
    EXPECT_EQ(patched.status, 200) << patched.body.constData();
    EXPECT_TRUE(patched.text().contains(QStringLiteral("переименована")));
    EXPECT_EQ(call("POST", QStringLiteral("/tasks/%1/complete").arg(encoded)).status, 200);
    const HttpAnswer missing = call("DELETE", QStringLiteral("/tasks/%D0%BD%D0%B5%D1%82"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_TRUE(missing.text().contains(QStringLiteral("нет"))) << missing.body.constData();
}

TEST_F(HttpTest, MalformedBodiesAre400NamingTheProblem) {
    struct Case {
        const char* path;
        QByteArray body;
        const char* mentions;
    };
    const Case cases[]{
        {"/tasks", "{", "JSON"},
        {"/tasks", R"({"title":5})", "title"},
        {"/tasks", R"({"title":"x","type":"task"})", "type"},
        {"/tasks", R"({"title":"  "})", "title"},
        {"/tasks", R"({"title":"x","folderId":"nope"})", "folderId"},
        {"/folders", "{}", "name"},
        {"/sync", R"({"tasks":[{"id":"x"}]})", "tasks[0].updatedAt"},
        {"/sync", R"({"tasks":[{"id":"x","updatedAt":"вчера"}]})", "tasks[0].updatedAt"},
        {"/assistant", R"({"text":null})", "text"},
        {"/auth/refresh", R"({"refresh":"x"})", "refreshToken"},
        {"/captures", R"({"audioBase64":"aGVsbG8="})", "AAC"},
        {"/tasks", QByteArray(200, '[') + QByteArray(200, ']'), ""},
        {"/tasks", R"({"title":")" + QByteArray(1001, 'x') + R"("})", "title"},
        {"/tasks", R"({"title":"x","body":")" + QByteArray(100'001, 'x') + R"("})", "body"},
        {"/folders", R"({"name":")" + QByteArray(1001, 'x') + R"("})", "name"},
        {"/sync",
         R"({"tasks":[{"id":"a","title":")" + QByteArray(1001, 'x') +
             R"(","updatedAt":"2024-01-01T00:00:00Z"}]})",
         "tasks[0].title"},
        {"/assistant", R"({"text":")" + QByteArray(1001, 'x') + R"("})", "text"},
    };
    for (const Case& c : cases) {
        const HttpAnswer answer = call("POST", QString::fromLatin1(c.path), c.body);
        EXPECT_EQ(answer.status, 400) << c.path << ' ' << c.body.left(60).constData();
        EXPECT_TRUE(answer.text().contains(QString::fromUtf8(c.mentions)))
            << c.path << " answered: " << answer.body.constData();
    }
    EXPECT_EQ(call("GET", QStringLiteral("/tasks?status=todo")).status, 400);
    EXPECT_EQ(call("GET", QStringLiteral("/sync?since=2024-01-01")).status, 400);
    EXPECT_EQ(call("DELETE", QStringLiteral("/folders/x?tasks=keep")).status, 404);
}

TEST_F(HttpTest, AccessNeedsALiveBearerToken) {
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me"), {}, false).status, 401);
    const QByteArray good = token;
    token = "not-a-token";
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me")).status, 401);
    token = good;
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me")).status, 200);
    scheme = "bearer "; // the scheme's case does not matter
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me")).status, 200);
    scheme = "Basic ";
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me")).status, 401);
    scheme = "Bearer ";

    service.advance(std::chrono::seconds(61));
    const HttpAnswer expired = call("GET", QStringLiteral("/folders"));
    EXPECT_EQ(expired.status, 401);
    EXPECT_FALSE(expired.body.isEmpty());
}

} // namespace
