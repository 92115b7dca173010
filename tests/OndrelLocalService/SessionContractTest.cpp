#include "support/QtPrinters.h"

#include "ContractFixture.h"

#include "OndrelUI/AuthSession.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrlQuery>

namespace {

class ShortLivedTokens : public ContractTest {
protected:
    ShortLivedTokens()
        : ContractTest(ServiceRouter::Settings{.auth = {.accessTTL = std::chrono::seconds(30),
                                                        .refreshTTL = std::chrono::seconds(90)}}) {}
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
};

TEST_F(ShortLivedTokens, TheSessionRenewsOnceAfterTheAccessTokenExpires) {
    const AuthResponse login = awaitTask(anonymous().loginYandex(QStringLiteral("t")));
    AuthSession session(service.baseURL(), transport, &settings);
    session.set(login.accessToken, login.refreshToken);

    service.advance(std::chrono::seconds(31));
    const QList<Folder> folders =
        awaitTask(session.run([](APIClient api) { return api.listFolders(); }));
    EXPECT_FALSE(folders.isEmpty());
    ASSERT_TRUE(session.accessToken().has_value());
    EXPECT_NE(*session.accessToken(), login.accessToken);
    // The spent refresh token cannot renew again.
    EXPECT_EQ(failure(anonymous().refresh(login.refreshToken)), 401);
}

TEST_F(ShortLivedTokens, AnExpiredRefreshTokenEndsTheSession) {
    const AuthResponse login = awaitTask(anonymous().loginYandex(QStringLiteral("t")));
    AuthSession session(service.baseURL(), transport, &settings);
    session.set(login.accessToken, login.refreshToken);
    service.advance(std::chrono::seconds(91));
    try {
        awaitTask(session.run([](APIClient api) { return api.me(); }));
        FAIL() << "a session past its refresh token's life still answered";
    } catch (const APIError& error) {
        EXPECT_EQ(error.kind(), APIError::Kind::unauthorized);
    }
}

QByteArray fetch(QNetworkAccessManager& network, const QUrl& url, const QByteArray& method) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = network.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return method == "GET" ? reply->readAll() : reply->rawHeader("Location");
}

TEST_F(ShortLivedTokens, TheStartPageSignsInThroughItsRedirect) {
    QNetworkAccessManager network;
    const QUrl start(service.baseURL().toString() + QStringLiteral("/auth/yandex/start"));
    const QByteArray page = fetch(network, start, "GET");
    const qsizetype at = page.indexOf("action=\"") + 8;
    const QUrl action =
        start.resolved(QUrl(QString::fromUtf8(page.mid(at, page.indexOf('"', at) - at))));
    const QUrl callback = QUrl::fromEncoded(fetch(network, action, "POST"));
    ASSERT_EQ(callback.scheme(), QStringLiteral("ondrel"));
    const QUrlQuery query(callback);

    AuthSession session(service.baseURL(), transport, &settings);
    session.set(query.queryItemValue(QStringLiteral("access")),
                query.queryItemValue(QStringLiteral("refresh")));
    const User me = awaitTask(session.run([](APIClient api) { return api.me(); }));
    EXPECT_EQ(me.id, QString::fromLatin1(AuthService::demoUserId));
}

} // namespace
