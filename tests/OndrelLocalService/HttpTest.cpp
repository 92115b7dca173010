#include "support/QtPrinters.h"

#include "LoopbackService.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

struct Answer {
    int status = 0;
    QByteArray body;
    QByteArray location;
    QByteArray allow;
    QString text() const { return QString::fromUtf8(body); }
};

// Plain HTTP, below the API client: methods, paths and bodies the client would never send.
class HttpTest : public testing::Test {
protected:
    Answer call(const QByteArray& method, const QString& path, const QByteArray& body = {},
                bool withToken = true) {
        QNetworkRequest request(QUrl(service.baseURL().toString() + path, QUrl::StrictMode));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        if (withToken && !token.isEmpty())
            request.setRawHeader("Authorization", scheme + token);
        if (!body.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QNetworkReply* reply = network.sendCustomRequest(request, method, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        Answer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                      reply->readAll(), reply->rawHeader("Location"), reply->rawHeader("Allow")};
        reply->deleteLater();
        return answer;
    }

    void signIn() {
        const Answer answer = call("POST", QStringLiteral("/auth/yandex"),
                                   R"({"accessToken":"yandex-token"})", false);
        ASSERT_EQ(answer.status, 200) << answer.body.constData();
        token = QJsonValueOf(answer.body, "accessToken");
        refresh = QJsonValueOf(answer.body, "refreshToken");
    }

    static QByteArray QJsonValueOf(const QByteArray& json, const char* key) {
        const QByteArray marker = QByteArray("\"") + key + "\":\"";
        const qsizetype start = json.indexOf(marker) + marker.size();
        return json.mid(start, json.indexOf('"', start) - start);
    }

    LoopbackService service{
        ServiceRouter::Settings{.auth = {.accessTTL = std::chrono::seconds(60)}}};
    QNetworkAccessManager network;
    QByteArray scheme = "Bearer ";
    QByteArray token;
    QByteArray refresh;
};

TEST_F(HttpTest, UnknownPathsAre404AndWrongMethods405WithAllow) {
    signIn();
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
        {"HEAD", "/auth/me", 405, "GET"},
        {"GET", "/nothing", 404, ""},
        {"GET", "/tasks/", 404, ""},
        {"GET", "/tasks//complete", 404, ""},
        {"DELETE", "/folders/unknown?tasks=delete", 404, ""},
        {"GET", "/captures/unknown", 404, ""},
    };
    for (const Case& c : cases) {
        const Answer answer = call(c.method, QString::fromLatin1(c.path));
        EXPECT_EQ(answer.status, c.status) << c.method << ' ' << c.path;
        EXPECT_EQ(answer.allow, QByteArray(c.allow)) << c.method << ' ' << c.path;
    }
}

TEST_F(HttpTest, IdsInPathsArePercentDecodedPerSegment) {
    signIn();
    const QString id = QStringLiteral("офлайн/1 ?#%");
    const QByteArray push = R"({"tasks":[{"id":")" + id.toUtf8() +
                            R"(","title":"с ноутбука","updatedAt":"2020-01-01T00:00:00Z"}]})";
    ASSERT_EQ(call("POST", QStringLiteral("/sync"), push).status, 200);
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(id));
    const Answer patched =
        call("PATCH", QStringLiteral("/tasks/") + encoded, R"({"title":"переименована"})");
    EXPECT_EQ(patched.status, 200) << patched.body.constData();
    EXPECT_TRUE(patched.text().contains(QStringLiteral("переименована")));
    EXPECT_EQ(call("POST", QStringLiteral("/tasks/%1/complete").arg(encoded)).status, 200);
    const Answer missing = call("DELETE", QStringLiteral("/tasks/%D0%BD%D0%B5%D1%82"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_TRUE(missing.text().contains(QStringLiteral("нет"))) << missing.body.constData();
}

TEST_F(HttpTest, MalformedBodiesAre400NamingTheProblem) {
    signIn();
    struct Case {
        const char* path;
        QByteArray body;
        const char* mentions;
    };
    const Case cases[]{
        {"/tasks", "{", "JSON"},
        {"/tasks", "", "JSON"},
        {"/tasks", R"({"title":5})", "title"},
        {"/tasks", R"({"title":"x","type":"task"})", "type"},
        {"/tasks", R"({"title":"x","priority":"URGENT"})", "priority"},
        {"/tasks", R"({"title":"  "})", "title"},
        {"/tasks", R"({"title":"x","folderId":"nope"})", "folderId"},
        {"/folders", "{}", "name"},
        {"/sync", R"({"tasks":[{"id":"x"}]})", "tasks[0].updatedAt"},
        {"/sync", R"({"tasks":[{"id":"x","updatedAt":"вчера"}]})", "tasks[0].updatedAt"},
        {"/assistant", R"({"text":null})", "text"},
        {"/auth/refresh", R"({"refresh":"x"})", "refreshToken"},
        {"/captures", R"({"audioBase64":"%%%"})", "audioBase64"},
        {"/captures", R"({"audioBase64":"aGVsbG8="})", "AAC"},
        {"/captures", "[1,2,3]", ""},
        {"/tasks", QByteArray(200, '[') + QByteArray(200, ']'), ""},
    };
    for (const Case& c : cases) {
        const Answer answer = call("POST", QString::fromLatin1(c.path), c.body);
        EXPECT_EQ(answer.status, 400) << c.path << ' ' << c.body.left(60).constData();
        EXPECT_TRUE(answer.text().contains(QString::fromUtf8(c.mentions)))
            << c.path << " answered: " << answer.body.constData();
    }
    EXPECT_EQ(call("GET", QStringLiteral("/tasks?status=todo")).status, 400);
    EXPECT_EQ(call("GET", QStringLiteral("/sync?since=2024-01-01")).status, 400);
    EXPECT_EQ(call("DELETE", QStringLiteral("/folders/x?tasks=keep")).status, 404);
}

TEST_F(HttpTest, BodiesOver32MegabytesAre413) {
    signIn();
    const QByteArray huge(32 * 1024 * 1024 + 1, 'A');
    EXPECT_EQ(call("POST", QStringLiteral("/captures"), huge).status, 413);
    EXPECT_EQ(call("GET", QStringLiteral("/folders")).status, 200); // still serving
}

TEST_F(HttpTest, AccessNeedsALiveTokenAndRefreshRotatesThePair) {
    signIn();
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
    const Answer expired = call("GET", QStringLiteral("/folders"));
    EXPECT_EQ(expired.status, 401);
    EXPECT_TRUE(expired.body.isEmpty() == false);

    const QByteArray body = R"({"refreshToken":")" + refresh + R"("})";
    const Answer renewed = call("POST", QStringLiteral("/auth/refresh"), body, false);
    ASSERT_EQ(renewed.status, 200);
    EXPECT_TRUE(renewed.text().contains(QStringLiteral("\"created\":false")));
    EXPECT_EQ(call("POST", QStringLiteral("/auth/refresh"), body, false).status, 401); // spent
    token = QJsonValueOf(renewed.body, "accessToken");
    EXPECT_EQ(call("GET", QStringLiteral("/folders")).status, 200);
}

TEST_F(HttpTest, EmptyYandexTokenIsRefused) {
    EXPECT_EQ(call("POST", QStringLiteral("/auth/yandex"), R"({"accessToken":""})", false).status,
              400);
}

QUrlQuery callbackQuery(const QByteArray& location) {
    const QUrl url = QUrl::fromEncoded(location);
    EXPECT_EQ(url.scheme(), QStringLiteral("ondrel"));
    return QUrlQuery(url);
}

TEST_F(HttpTest, TheStartPageButtonSignsInAndRedirectsToTheApp) {
    const Answer page = call("GET", QStringLiteral("/auth/yandex/start"), {}, false);
    ASSERT_EQ(page.status, 200);
    EXPECT_TRUE(page.text().contains(QStringLiteral("<button")));
    const qsizetype at = page.body.indexOf("action=\"") + 8;
    const QString action = QString::fromLatin1(page.body.mid(at, page.body.indexOf('"', at) - at));
    EXPECT_TRUE(action.startsWith(u'/'));

    const Answer redirect = call("POST", action, {}, false);
    ASSERT_EQ(redirect.status, 302);
    const QUrlQuery query = callbackQuery(redirect.location);
    token = query.queryItemValue(QStringLiteral("access")).toLatin1();
    EXPECT_FALSE(token.isEmpty());
    EXPECT_FALSE(query.queryItemValue(QStringLiteral("refresh")).isEmpty());
    EXPECT_EQ(call("GET", QStringLiteral("/auth/me")).status, 200);
}

TEST(HttpAutoApprove, TheStartPageRedirectsAtOnce) {
    LoopbackService service{ServiceRouter::Settings{.autoApprove = true}};
    QNetworkAccessManager network;
    QNetworkRequest request(
        QUrl(service.baseURL().toString() + QStringLiteral("/auth/yandex/start")));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 302);
    const QUrlQuery query = callbackQuery(reply->rawHeader("Location"));
    EXPECT_TRUE(query.hasQueryItem(QStringLiteral("access")));
    EXPECT_TRUE(query.hasQueryItem(QStringLiteral("refresh")));
    delete reply;
}

} // namespace
