#include "support/QtPrinters.h"

#include "ContractFixture.h"

#include "OndrelUI/session/AuthSession.h"

#include "HttpCall.h"

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

// Past the access token's life the session renews once; past the refresh token's it ends.
TEST_F(ShortLivedTokens, TheSessionRenewsUntilTheRefreshTokenExpires) {
    const AuthResponse login = awaitTask(anonymous().loginYandex(QStringLiteral("t")));
    AuthSession session(service.baseURL(), transport, &settings);
    session.set(login.accessToken, login.refreshToken);

    service.advance(std::chrono::seconds(31));
    const QList<Folder> folders =
        awaitTask(session.run([](APIClient api) { return api.listFolders(); }));
    EXPECT_FALSE(folders.isEmpty());
    ASSERT_TRUE(session.accessToken().has_value());
    EXPECT_NE(*session.accessToken(), login.accessToken);
    EXPECT_EQ(failure(anonymous().refresh(login.refreshToken)), 401); // spent

    service.advance(std::chrono::seconds(91));
    EXPECT_EQ(failure(session.run([](APIClient api) { return api.me(); })), 401);
}

// The start page's button signs in and redirects to the application with the pair.
TEST_F(ShortLivedTokens, TheStartPageSignsInThroughItsRedirect) {
    QNetworkAccessManager network;
    const QUrl start(service.baseURL().toString() + QStringLiteral("/auth/yandex/start"));
    const QByteArray page = httpCall(network, start, "GET").body;
    EXPECT_TRUE(page.contains("<button"));
    const qsizetype at = page.indexOf("action=\"") + 8;
    const QUrl action =
        start.resolved(QUrl(QString::fromUtf8(page.mid(at, page.indexOf('"', at) - at))));
    const QUrl callback = QUrl::fromEncoded(httpCall(network, action, "POST").location);
    ASSERT_EQ(callback.scheme(), QStringLiteral("ondrel"));
    const QUrlQuery query(callback);

    AuthSession session(service.baseURL(), transport, &settings);
    session.set(query.queryItemValue(QStringLiteral("access")),
                query.queryItemValue(QStringLiteral("refresh")));
    const User me = awaitTask(session.run([](APIClient api) { return api.me(); }));
    EXPECT_EQ(me.id, QString::fromLatin1(AuthService::demoUserId));
}

} // namespace
