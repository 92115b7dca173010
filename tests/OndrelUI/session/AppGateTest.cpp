#include "support/FakeTransport.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"

#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString storeKey = QString::fromLatin1(AuthSession::storeKey);

class AppGateTest : public ::testing::Test {
protected:
    std::unique_ptr<AppGate> gate(bool browserOpens = true) {
        auto settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
        return std::make_unique<AppGate>(QUrl(QStringLiteral("http://svc")), transport,
                                         std::move(settings), [this, browserOpens](const QUrl&) {
                                             ++browserOpenings;
                                             return browserOpens;
                                         });
    }
    QVariant storedRecord() const { return QSettings(file, QSettings::IniFormat).value(storeKey); }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("ondrel.ini"));
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    int browserOpenings = 0;
};

} // namespace

// A sign-in from the button to the main screen's view model, which lives as long as the session
// stays signed in.
TEST_F(AppGateTest, SignsInThroughTheBrowserAndHoldsOneViewModel) {
    auto signIn = gate();
    int authedChanges = 0;
    QObject::connect(signIn.get(), &AppGate::isAuthedChanged, [&] { ++authedChanges; });
    EXPECT_FALSE(signIn->isAuthed());
    EXPECT_EQ(signIn->viewModel(), nullptr);

    signIn->signIn();
    signIn->signIn(); // the button is disabled while busy; a second press does nothing
    EXPECT_TRUE(signIn->busy());
    EXPECT_EQ(browserOpenings, 1);
    ASSERT_TRUE(signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a1&refresh=r1")));
    ASSERT_TRUE(waitUntil([&] { return !signIn->busy(); }));

    EXPECT_TRUE(signIn->isAuthed());
    EXPECT_EQ(authedChanges, 1);
    EXPECT_TRUE(signIn->errorText().isEmpty());
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
}

// Each failure replaces the line; a new attempt or a success leaves it standing.
TEST_F(AppGateTest, EveryFailureEndsAsTheErrorLine) {
    auto signIn = gate();
    const auto failWith = [&](const std::function<void()>& end) {
        signIn->signIn();
        end();
        EXPECT_TRUE(waitUntil([&] { return !signIn->busy(); }));
        return signIn->errorText();
    };
    const auto callback = [&](const char* url) {
        return [&signIn, url] { signIn->acceptCallback(QString::fromUtf8(url)); };
    };

    EXPECT_EQ(failWith([&] { signIn->cancelSignIn(); }),
              QStringLiteral("Не удалось войти: вход отменён"));
    EXPECT_EQ(failWith(callback("ondrel://auth?error=%D0%BE%D1%82%D0%BA%D0%B0%D0%B7")),
              QStringLiteral("Не удалось войти: сервис отказал во входе: отказ"));
    EXPECT_EQ(failWith(callback("ondrel://auth?error=")),
              QStringLiteral("Не удалось войти: сервис отказал во входе"));
    EXPECT_EQ(failWith(callback("ondrel://auth")),
              QStringLiteral("Не удалось войти: браузер вернул ссылку, которую не удалось "
                             "разобрать"));
    EXPECT_EQ(failWith(callback("ondrel://auth?refresh=r")),
              QStringLiteral("Не удалось войти: сервис не передал ключи доступа"));
    const QString longReason(1000, u'я');
    const QString shown = failWith(callback(
        QByteArray("ondrel://auth?error=" + QUrl::toPercentEncoding(longReason)).constData()));
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

TEST_F(AppGateTest, DropsACallbackWhenNoSignInIsPending) {
    auto signIn = gate();
    EXPECT_FALSE(signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a&refresh=r")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(signIn->isAuthed());
    EXPECT_FALSE(storedRecord().isValid());
    EXPECT_TRUE(signIn->errorText().isEmpty());
}

// Closing the window while the browser is still open ends the sign-in quietly.
TEST_F(AppGateTest, GoesAwayWithASignInPending) {
    auto signIn = gate();
    signIn->signIn();
    signIn.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(storedRecord().isValid());
}
