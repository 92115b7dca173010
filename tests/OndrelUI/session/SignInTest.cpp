#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/session/BrowserFlowError.h"
#include "OndrelUI/session/YandexLogin.h"

#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using TokenPair = YandexLogin::TokenPair;
using LoginError = YandexLogin::LoginError;

QString describe(const LoginError& error) {
    return QStringLiteral("error %1 %2").arg(int(error.kind())).arg(error.reason());
}

// The pair as "access refresh", or the error.
QString outcome(const std::optional<QString>& callback) {
    try {
        const TokenPair pair = YandexLogin::parseCallback(callback);
        return pair.access + u' ' + pair.refresh;
    } catch (const LoginError& error) {
        return describe(error);
    }
}

class AppGateTest : public ::testing::Test {
protected:
    std::unique_ptr<AppGate> gate(bool browserOpens = true) {
        return std::make_unique<AppGate>(
            QUrl(QStringLiteral("http://svc")), std::make_shared<FakeTransport>(),
            std::make_unique<QSettings>(file, QSettings::IniFormat), [this, browserOpens](auto) {
                ++browserOpenings;
                return browserOpens;
            });
    }
    QVariant storedRecord() const {
        return QSettings(file, QSettings::IniFormat).value(AuthSession::storeKey);
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("ondrel.ini"));
    int browserOpenings = 0;
};

} // namespace

TEST(YandexLoginCallback, IsReadByItsQueryItemsAlone) {
    const QString missing = describe(LoginError::missingTokens());
    const QString invalid = describe(LoginError::invalidCallback());
    const struct {
        std::optional<QString> callback;
        QString expected;
    } cases[] = {
        {"ondrel:/any/path?refresh=R&access=A#part", "A R"},
        {"ondrel://auth?access=A&access=B&refresh=R&refresh=S", "A R"},
        {"ondrel://auth?access=&refresh=R", " R"},
        {"ondrel://auth?access=a%2Bb+c%26&refresh=%D0%BA%D0%BB", "a+b+c& кл"},
        // an error with a value wins over tokens; one without a value is no error
        {"ondrel://auth?access=A&refresh=R&error=denied", describe(LoginError::server("denied"))},
        {"ondrel://auth?error=&access=A&refresh=R", describe(LoginError::server(""))},
        {"ondrel://auth?error&access=A&refresh=R", "A R"},
        {std::nullopt, invalid},
        {"ondrel://auth", invalid},
        {"ondrel://auth#access=A&refresh=R", invalid},
        {"ondrel://auth?access=A", missing},
        {"ondrel://auth?access&refresh=R", missing},
        {"ondrel://auth?Access=A&refresh=R", missing},
    };
    for (const auto& row : cases)
        EXPECT_EQ(outcome(row.callback), row.expected)
            << row.callback.value_or("(none)").toStdString();
}

// One pending sign-in takes the first "ondrel:" URL handed to it, once; everything else is
// dropped. A newer sign-in cancels the one pending.
TEST(YandexLoginFlow, TakesOneCallbackOnlyWhilePending) {
    QList<QUrl> opened;
    YandexLogin login([&](const QUrl& url) { return opened.append(url), true; });
    const QString callback = QStringLiteral("ondrel://auth?access=A&refresh=R");

    EXPECT_FALSE(login.acceptCallback(callback));
    auto signingIn = login.login(QUrl(QStringLiteral("https://svc.example:8443")));
    EXPECT_TRUE(login.isPending());
    EXPECT_EQ(opened, QList<QUrl>{QUrl("https://svc.example:8443/auth/yandex/start")});
    EXPECT_FALSE(login.acceptCallback(QStringLiteral("https://evil.example/?access=A")));
    EXPECT_TRUE(login.acceptCallback(callback));
    EXPECT_FALSE(login.isPending());
    EXPECT_FALSE(login.acceptCallback(callback)); // a replay

    EXPECT_EQ(awaitTask(std::move(signingIn)), (TokenPair{"A", "R"}));

    const QUrl base(QStringLiteral("http://127.0.0.1:1"));
    auto replaced = login.login(base);
    auto newer = login.login(base);
    EXPECT_EQ(failureOf<BrowserFlowError>(std::move(replaced)).kind(),
              BrowserFlowError::Kind::cancelled);
    EXPECT_TRUE(login.acceptCallback(QStringLiteral("ondrel://auth?access=A")));
    EXPECT_EQ(failureOf<LoginError>(std::move(newer)).kind(), LoginError::Kind::missingTokens);
}

// The browser step may end the flow itself (a cancel) and then report that it failed: the
// cancellation stands, and nothing is left pending.
TEST(YandexLoginFlow, ABrowserStepThatCancelsAndThenFails) {
    YandexLogin* login = nullptr;
    YandexLogin flow([&](const QUrl&) {
        login->cancel();
        return false;
    });
    login = &flow;
    EXPECT_EQ(failureOf<BrowserFlowError>(flow.login(QUrl(QStringLiteral("http://svc")))).kind(),
              BrowserFlowError::Kind::cancelled);
    EXPECT_FALSE(flow.isPending());
}

// A sign-in from the button to the main screen's view model, which lives as long as the session
// stays signed in. Closing the window with a sign-in pending ends it quietly.
TEST_F(AppGateTest, SignsInThroughTheBrowserAndHoldsOneViewModel) {
    auto signIn = gate();
    int authedChanges = 0;
    QObject::connect(signIn.get(), &AppGate::isAuthedChanged, [&] { ++authedChanges; });
    EXPECT_EQ(signIn->viewModel(), nullptr);
    signIn->signIn();
    signIn->signIn(); // the button is disabled while busy; a second press does nothing
    EXPECT_TRUE(signIn->busy());
    EXPECT_EQ(browserOpenings, 1);
    ASSERT_TRUE(signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a1&refresh=r1")));
    ASSERT_TRUE(waitUntil([&] { return !signIn->busy(); }));
    EXPECT_TRUE(signIn->isAuthed());
    EXPECT_EQ(authedChanges, 1);
    EXPECT_EQ(storedRecord(), QVariant(QVariantMap{{"access", "a1"}, {"refresh", "r1"}}));
    const QPointer<AppViewModel> viewModel = signIn->viewModel();
    ASSERT_NE(viewModel, nullptr);

    signIn->session()->set(QStringLiteral("a2"), QStringLiteral("r2")); // a renewal
    EXPECT_EQ(signIn->viewModel(), viewModel);
    signIn->session()->logout();
    EXPECT_FALSE(signIn->isAuthed());
    EXPECT_EQ(signIn->viewModel(), nullptr);
    EXPECT_FALSE(viewModel.isNull()); // the screens may still hold it during this event
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewModel.isNull());
    signIn->signIn();
    signIn.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(storedRecord().isValid());
}

// Each failure replaces the line; a new attempt or a success leaves it standing.
TEST_F(AppGateTest, EveryFailureEndsAsTheErrorLine) {
    auto signIn = gate();
    const QString tooLong =
        QString::fromLatin1("ondrel://auth?error=" + QUrl::toPercentEncoding(QString(1000, u'я')));
    const struct {
        QString callback; // none: the user cancels
        QString line;
    } cases[] = {
        {{}, "вход отменён"},
        {"ondrel://auth?error=%D0%BE%D1%82%D0%BA%D0%B0%D0%B7", "сервис отказал во входе: отказ"},
        {"ondrel://auth?error=", "сервис отказал во входе"},
        {"ondrel://auth", "браузер вернул ссылку, которую не удалось разобрать"},
        {"ondrel://auth?refresh=r", "сервис не передал ключи доступа"},
        {tooLong, {}},
    };
    for (const auto& row : cases) {
        signIn->signIn();
        if (row.callback.isEmpty())
            signIn->cancelSignIn();
        else
            signIn->acceptCallback(row.callback);
        EXPECT_TRUE(waitUntil([&] { return !signIn->busy(); }));
        if (!row.line.isEmpty()) {
            EXPECT_EQ(signIn->errorText(), "Не удалось войти: " + row.line);
        }
    }
    const QString shown = signIn->errorText();
    EXPECT_LT(shown.size(), 250) << "a hostile reason is cut";
    signIn->signIn();
    EXPECT_EQ(signIn->errorText(), shown);
    signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a&refresh=r"));
    EXPECT_TRUE(waitUntil([&] { return signIn->isAuthed(); }));
    EXPECT_EQ(signIn->errorText(), shown);

    auto noBrowser = gate(false);
    noBrowser->session()->logout();
    noBrowser->signIn();
    EXPECT_TRUE(waitUntil([&] { return !noBrowser->busy(); }));
    EXPECT_EQ(noBrowser->errorText(),
              QStringLiteral("Не удалось войти: не удалось открыть браузер"));
}
