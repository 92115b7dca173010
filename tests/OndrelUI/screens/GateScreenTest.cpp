#include "support/GateScene.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class GateScreenTest : public testing::Test {
protected:
    GateScreenTest() {
        transport->setHandler([](const HTTPRequest&) { return HTTPResponse{"[]", 200}; });
    }

    void show(bool signedIn, const QString& file = QStringLiteral("AppGateView.qml")) {
        scene.reset(); // one harness at a time
        scene = std::make_unique<GateScene>(transport, signedIn, file);
    }
    bool shown(const char* name) const { return scene->screen().item(name) != nullptr; }
    ScreenHarness& screen() { return scene->screen(); }

    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    std::unique_ptr<GateScene> scene;
};

TEST_F(GateScreenTest, A_stored_token_opens_the_root_screen_and_none_the_sign_in_panel) {
    show(true);
    EXPECT_FALSE(shown("signInPanel"));
    EXPECT_TRUE(waitUntil([&] { return transport->requests().size() == 2; }));
    screen().settle();
    EXPECT_TRUE(shown("inputField"));
    EXPECT_EQ(screen().warnings(), QStringList());

    show(false);
    EXPECT_TRUE(shown("signInPanel"));
    EXPECT_FALSE(shown("inputField"));
    EXPECT_EQ(screen().warnings(), QStringList());
}

TEST_F(GateScreenTest, A_failed_sign_in_shows_its_line_and_enables_the_button_again) {
    show(false);
    QQuickItem* button = screen().item("signInButton");
    EXPECT_FALSE(shown("signInError"));
    screen().click(button);
    EXPECT_TRUE(screen().itemWithText(QStringLiteral("Входим…")));
    EXPECT_FALSE(button->isEnabled());

    screen().click(screen().item("cancelSignInButton"));
    ASSERT_TRUE(waitUntil([&] { return !scene->gate().busy(); }));
    screen().settle();
    ASSERT_TRUE(shown("signInError"));
    EXPECT_TRUE(screen()
                    .item("signInError")
                    ->property("text")
                    .toString()
                    .startsWith(QStringLiteral("Не удалось войти: ")));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(screen().itemWithText(QStringLiteral("Войти через Яндекс")));
    EXPECT_FALSE(shown("cancelSignInButton"));
    EXPECT_EQ(screen().warnings(), QStringList());
}

TEST_F(GateScreenTest, The_window_menu_and_the_header_check_for_updates) {
    show(true, QStringLiteral("Main.qml"));
    EXPECT_TRUE(waitUntil([&] { return transport->requests().size() == 2; }));
    screen().settle();
    screen().click(screen().item("checkUpdatesButton"));
    EXPECT_NE(scene->updater().state(), AppUpdater::State::Idle);
    EXPECT_EQ(screen().warnings(), QStringList());

    show(false, QStringLiteral("Main.qml"));
    EXPECT_GE(screen().window().minimumSize().height(), 440);
    EXPECT_EQ(screen().window().minimumSize().width(), 480);
    screen().click(screen().itemWithText(QStringLiteral("Ondrel")));
    screen().click(screen().itemWithText(QStringLiteral("Проверить обновления…")));
    EXPECT_NE(scene->updater().state(), AppUpdater::State::Idle);
    EXPECT_EQ(screen().warnings(), QStringList());
}

} // namespace
