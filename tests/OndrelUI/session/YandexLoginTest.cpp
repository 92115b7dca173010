#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include "OndrelUI/session/BrowserFlowError.h"
#include "OndrelUI/session/YandexLogin.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <variant>

namespace {

using TokenPair = YandexLogin::TokenPair;
using LoginError = YandexLogin::LoginError;

// Every message the program logs while it lives.
class MessageLog {
public:
    MessageLog() { s_lines = &m_lines, m_previous = qInstallMessageHandler(&record); }
    ~MessageLog() { qInstallMessageHandler(m_previous), s_lines = nullptr; }
    QString text() const { return m_lines.join(u'\n'); }

private:
    static void record(QtMsgType, const QMessageLogContext&, const QString& message) {
        s_lines->append(message);
    }
    static inline QStringList* s_lines = nullptr;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

// A browser that only notes what it was asked to open.
struct RecordingBrowser {
    std::shared_ptr<QList<QUrl>> opened = std::make_shared<QList<QUrl>>();
    bool opens = true;
    YandexLogin::Browser seam() const {
        return [opened = opened, opens = opens](const QUrl& url) {
            opened->append(url);
            return opens;
        };
    }
};

} // namespace

TEST(YandexLoginCallback, IsReadByItsQueryItemsAlone) {
    using Expected = std::variant<TokenPair, LoginError>;
    const struct {
        std::optional<QString> callback;
        Expected expected;
    } cases[] = {
        {"ondrel://auth?access=A&refresh=R", TokenPair{"A", "R"}},
        {"ondrel:/any/path?refresh=R&access=A#part", TokenPair{"A", "R"}},
        {"ondrel://auth?access=A&access=B&refresh=R&refresh=S", TokenPair{"A", "R"}},
        {"ondrel://auth?access=&refresh=R", TokenPair{"", "R"}},
        {"ondrel://auth?access=a%2Bb+c%26&refresh=%D0%BA%D0%BB", TokenPair{"a+b+c&", "кл"}},
        // an error with a value wins over tokens; one without a value is no error
        {"ondrel://auth?access=A&refresh=R&error=denied", LoginError::server("denied")},
        {"ondrel://auth?error=&access=A&refresh=R", LoginError::server("")},
        {"ondrel://auth?error&access=A&refresh=R", TokenPair{"A", "R"}},
        // no query at all, or nothing usable as a URL
        {std::nullopt, LoginError::invalidCallback()},
        {"ondrel://auth", LoginError::invalidCallback()},
        {"ondrel://auth#access=A&refresh=R", LoginError::invalidCallback()},
        // a query without both tokens
        {"ondrel://auth?access=A", LoginError::missingTokens()},
        {"ondrel://auth?access&refresh=R", LoginError::missingTokens()},
        {"ondrel://auth?Access=A&refresh=R", LoginError::missingTokens()},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.callback.value_or("(none)").toStdString());
        try {
            const TokenPair pair = YandexLogin::parseCallback(row.callback);
            ASSERT_TRUE(std::holds_alternative<TokenPair>(row.expected));
            EXPECT_EQ(pair.access, std::get<TokenPair>(row.expected).access);
            EXPECT_EQ(pair.refresh, std::get<TokenPair>(row.expected).refresh);
        } catch (const LoginError& error) {
            ASSERT_TRUE(std::holds_alternative<LoginError>(row.expected)) << error.what();
            EXPECT_EQ(error.kind(), std::get<LoginError>(row.expected).kind());
            EXPECT_EQ(error.reason(), std::get<LoginError>(row.expected).reason());
        }
    }
}

// One pending sign-in takes the first "ondrel:" URL handed to it, once; everything else is
// dropped and logged without the tokens it may carry.
TEST(YandexLoginFlow, TakesOneCallbackOnlyWhilePending) {
    MessageLog log;
    RecordingBrowser browser;
    YandexLogin login(browser.seam());
    const QString callback = QStringLiteral("ondrel://auth?access=SECRET-A&refresh=SECRET-R");

    EXPECT_FALSE(login.acceptCallback(callback));
    auto signingIn = login.login(QUrl(QStringLiteral("https://svc.example:8443")));
    EXPECT_TRUE(login.isPending());
    EXPECT_EQ(*browser.opened,
              QList<QUrl>{QUrl(QStringLiteral("https://svc.example:8443/auth/yandex/start"))});
    EXPECT_FALSE(login.acceptCallback(QStringLiteral("https://evil.example/?access=SECRET-A")));
    EXPECT_TRUE(login.isPending());
    EXPECT_TRUE(login.acceptCallback(callback));
    EXPECT_FALSE(login.isPending());
    EXPECT_FALSE(login.acceptCallback(callback)); // a replay

    EXPECT_EQ(awaitTask(std::move(signingIn)), (TokenPair{"SECRET-A", "SECRET-R"}));
    EXPECT_EQ(log.text().count(QStringLiteral("dropped")), 3) << log.text().toStdString();
    EXPECT_FALSE(log.text().contains(QStringLiteral("SECRET"))) << log.text().toStdString();
}

// A newer sign-in cancels the one pending, as does the login going away; the rest of the ways a
// sign-in ends are the gate's error lines.
TEST(YandexLoginFlow, EndsWithoutTokens) {
    const QUrl base(QStringLiteral("http://127.0.0.1:1"));
    RecordingBrowser browser;
    YandexLogin login(browser.seam());
    auto replaced = login.login(base);
    auto newer = login.login(base);
    EXPECT_EQ(failureOf<BrowserFlowError>(std::move(replaced)).kind(),
              BrowserFlowError::Kind::cancelled);
    EXPECT_TRUE(login.acceptCallback(QStringLiteral("ondrel://auth?access=A")));
    EXPECT_EQ(failureOf<LoginError>(std::move(newer)).kind(), LoginError::Kind::missingTokens);

    auto gone = std::make_unique<YandexLogin>(browser.seam());
    auto orphaned = gone->login(base);
    gone.reset();
    EXPECT_EQ(failureOf<BrowserFlowError>(std::move(orphaned)).kind(),
              BrowserFlowError::Kind::cancelled);
}
