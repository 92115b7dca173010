#include "support/GateScene.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

// The application's window over the gate, signed in or not, driven through its controls.
class GateScreenTest : public testing::Test {
protected:
    explicit GateScreenTest(bool signedIn = false)
        : scene(signedIn, [](const HTTPRequest&) {
              return HTTPResponse{"[]", 200};
          }) {}
    void TearDown() override { EXPECT_EQ(screen.warnings(), QStringList()); }

    bool shown(const char* name) const { return screen.item(name) != nullptr; }
    void clickText(const QString& text) { screen.click(screen.itemWithText(text)); }

    GateScene scene;
    ScreenHarness& screen = scene.screen();
};

struct SignedInGateScreenTest : GateScreenTest {
    SignedInGateScreenTest() : GateScreenTest(true) {}
};

TEST_F(GateScreenTest, Signing_in_shows_its_progress_then_the_failure_and_the_button_again) {
    EXPECT_FALSE(shown("inputField"));
    EXPECT_FALSE(shown("signInError"));
    EXPECT_EQ(screen.window().minimumWidth(), 480);
    EXPECT_GE(screen.window().minimumHeight(), 440); // and the menu bar's
    EXPECT_FALSE(screen.itemWithText(QStringLiteral("Задачи"))->isEnabled());

    QQuickItem* button = screen.item("signInButton");
    screen.click(button);
    EXPECT_TRUE(screen.itemWithText(QStringLiteral("Входим…")));
    EXPECT_FALSE(button->isEnabled());
    screen.click(screen.item("cancelSignInButton"));
    ASSERT_TRUE(waitUntil([&] { return !scene.gate().busy(); }));
    screen.settle();
    EXPECT_TRUE(screen.item("signInError")
                    ->property("text")
                    .toString()
                    .startsWith(QStringLiteral("Не удалось войти: ")));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(screen.itemWithText(QStringLiteral("Войти через Яндекс")));
    EXPECT_FALSE(shown("cancelSignInButton"));

    clickText(QStringLiteral("Ondrel"));
    clickText(QStringLiteral("Проверить обновления…"));
    EXPECT_NE(scene.updater().state(), AppUpdater::State::Idle);
}

// No browser may have come up: the address can be copied into any, and the link that browser
// hands back completes the pending sign-in.
TEST_F(GateScreenTest, A_pending_sign_in_offers_its_address_and_still_takes_the_link) {
    EXPECT_FALSE(shown("signInAddress"));
    screen.click(screen.item("signInButton"));
    const QString address = QStringLiteral("https://service.test/auth/yandex/start");
    ASSERT_TRUE(shown("signInAddress"));
    EXPECT_EQ(screen.item("signInAddress")->property("text").toString(), address);
    QGuiApplication::clipboard()->clear();
    clickText(QStringLiteral("Скопировать ссылку"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address);

    scene.gate().acceptCallback(QStringLiteral("ondrel://auth?access=a2&refresh=r2"));
    ASSERT_TRUE(waitUntil([&] { return scene.vm() != nullptr; }));
    screen.settle();
    EXPECT_FALSE(shown("signInPanel"));
    EXPECT_FALSE(shown("signInAddress"));
    // The root screen's first loads end before the scene does: answered, decoded, resumed.
    ASSERT_TRUE(waitUntil([&] { return scene.transport().requests().size() == 2; }));
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        QThreadPool::globalInstance()->waitForDone();
    }
    QCoreApplication::processEvents();
}

// Signing out from the menu leaves the sign-in panel and nothing of the session: no view model,
// no stored pair; the hook for what else the account kept runs once.
TEST_F(SignedInGateScreenTest, Signing_out_from_the_menu_forgets_the_session) {
    const QPointer<AppViewModel> viewModel = scene.vm();
    ASSERT_TRUE(waitUntil([&] { return scene.transport().requests().size() == 2; }));
    QSignalSpy signedOut(&scene.gate(), &AppGate::signedOut);
    clickText(QStringLiteral("Ondrel"));
    clickText(QStringLiteral("Выйти из аккаунта"));
    screen.settle();
    EXPECT_EQ(signedOut.size(), 1);
    EXPECT_TRUE(shown("signInPanel"));
    EXPECT_FALSE(shown("inputField"));
    EXPECT_TRUE(waitUntil([&] { return viewModel.isNull(); }));
    EXPECT_FALSE(scene.gate().session()->isAuthed());
    EXPECT_FALSE(scene.storedRecord().isValid());
    clickText(QStringLiteral("Ondrel"));
    EXPECT_FALSE(screen.itemWithText(QStringLiteral("Выйти из аккаунта"))->isEnabled());
}

// Requests from outside the window, such as `ondrel --write`, reach the root screen: writing
// focuses the input line; recording starts, then stops and goes out as a capture.
TEST_F(SignedInGateScreenTest, The_root_screen_takes_capture_requests_and_shows_its_menus) {
    EXPECT_FALSE(shown("signInPanel"));
    const auto& requests = scene.transport().requests();
    ASSERT_TRUE(waitUntil([&] { return requests.size() == 2; }));
    screen.settle();
    ASSERT_NE(screen.window().activeFocusItem(), screen.item("inputField"));
    scene.capture().write();
    EXPECT_EQ(screen.window().activeFocusItem(), screen.item("inputField"));
    scene.capture().record();
    EXPECT_TRUE(scene.recorder().isRecording());
    scene.capture().record();
    EXPECT_FALSE(scene.recorder().isRecording());
    ASSERT_TRUE(waitUntil([&] { return requests.size() == 3 && !scene.vm()->isBusy(); }));
    EXPECT_EQ(requests.last().method, "POST"); // the capture

    clickText(QStringLiteral("Задачи"));
    EXPECT_TRUE(screen.itemWithText(QStringLiteral("Ctrl+Shift+Tab")));
    EXPECT_TRUE(screen.itemWithText(QStringLiteral("Ctrl+H")));
    clickText(QStringLiteral("История записей"));
    EXPECT_TRUE(screen.find(QStringLiteral("historySheet")));
    EXPECT_TRUE(waitUntil([&] { return requests.size() == 4; }));
    EXPECT_EQ(requests.last().url.path(), QStringLiteral("/captures"));
    screen.press(Qt::Key_Escape);

    screen.click(screen.item("checkUpdatesButton"));
    EXPECT_NE(scene.updater().state(), AppUpdater::State::Idle);
}

} // namespace
