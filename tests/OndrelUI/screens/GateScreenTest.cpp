#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"
#include "support/FakeTransport.h"
#include "support/QtPrinters.h"
#include "support/ScreenHarness.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The window's content as the application builds it: the gate over a scripted service and a
// browser that opens but never calls back.
class GateScreenTest : public testing::Test {
protected:
    GateScreenTest() {
        transport->setHandler([](const HTTPRequest&) { return HTTPResponse{"[]", 200}; });
    }

    void storeTokens() {
        QSettings(file, QSettings::IniFormat)
            .setValue(QString::fromLatin1(AuthSession::storeKey),
                      QVariantMap{{"access", "a1"}, {"refresh", "r1"}});
    }

    void show(const QString& file = QStringLiteral("AppGateView.qml")) {
        gate =
            std::make_unique<AppGate>(QUrl(QStringLiteral("http://svc")), transport,
                                      std::make_unique<QSettings>(this->file, QSettings::IniFormat),
                                      [](const QUrl&) { return true; });
        QVariantMap inputs{{"gate", QVariant::fromValue(gate.get())},
                           {"recorder", QVariant::fromValue(&recorder)},
                           {"updateState", QVariant::fromValue(&updateState)}};
        if (file == u"Main.qml")
            inputs.insert(QStringLiteral("updater"), QVariant::fromValue(&updater));
        screen = std::make_unique<ScreenHarness>(file, inputs);
    }

    bool shown(const char* name) const { return screen->item(name) != nullptr; }

    QTemporaryDir directory;
    QString file = directory.filePath(QStringLiteral("ondrel.ini"));
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    AudioRecorder recorder{std::make_unique<SyntheticPcmSource>()};
    UpdateState updateState;
    AppUpdater updater{&updateState, [] {
                           UpdaterSettings manual; // no silent check
                           manual.firstCheckDelay = std::nullopt;
                           return manual;
                       }()};
    std::unique_ptr<AppGate> gate;
    std::unique_ptr<ScreenHarness> screen;
};

TEST_F(GateScreenTest, A_stored_token_opens_the_root_screen_and_none_the_sign_in_panel) {
    storeTokens();
    show();
    EXPECT_FALSE(shown("signInPanel"));
    EXPECT_TRUE(waitUntil([&] { return transport->requests().size() == 2; }));
    screen->settle();
    EXPECT_TRUE(shown("inputField"));

    screen.reset();
    QSettings(file, QSettings::IniFormat).clear();
    show();
    EXPECT_TRUE(shown("signInPanel"));
    EXPECT_FALSE(shown("inputField"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(GateScreenTest, A_failed_sign_in_shows_its_line_and_enables_the_button_again) {
    show();
    QQuickItem* button = screen->item("signInButton");
    EXPECT_FALSE(shown("signInError"));
    screen->click(button);
    EXPECT_TRUE(screen->itemWithText(QStringLiteral("Входим…")));
    EXPECT_FALSE(button->isEnabled());

    screen->click(screen->item("cancelSignInButton"));
    ASSERT_TRUE(waitUntil([&] { return !gate->busy(); }));
    screen->settle();
    ASSERT_TRUE(shown("signInError"));
    EXPECT_TRUE(screen->item("signInError")
                    ->property("text")
                    .toString()
                    .startsWith(QStringLiteral("Не удалось войти: ")));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(screen->itemWithText(QStringLiteral("Войти через Яндекс")));
    EXPECT_FALSE(shown("cancelSignInButton"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(GateScreenTest, The_window_menu_checks_for_updates) {
    show(QStringLiteral("Main.qml"));
    EXPECT_GE(screen->window().minimumSize().height(), 440);
    EXPECT_EQ(screen->window().minimumSize().width(), 480);
    screen->click(screen->itemWithText(QStringLiteral("Ondrel")));
    screen->click(screen->itemWithText(QStringLiteral("Проверить обновления…")));
    EXPECT_NE(updater.state(), AppUpdater::State::Idle);
    EXPECT_EQ(screen->warnings(), QStringList());
}

} // namespace
