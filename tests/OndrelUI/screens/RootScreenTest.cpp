#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureProcessResponse.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using RootScreenTest = RootScreenFixture;

TEST_F(RootScreenTest, Tabs_show_the_empty_state_or_cards_with_the_done_header_for_done_tasks) {
    Folder inbox = threeFolders[0];
    inbox.isSystem = true;
    open({inbox, threeFolders[1]}, {});
    EXPECT_TRUE(showsText(QStringLiteral("Пока пусто")));
    EXPECT_FALSE(shown("taskList"));
    answer(QList<TaskItem>{makeTask("a")});
    screen->click(item("tab:f2"));
    EXPECT_EQ(sent(1), QStringList{"GET /tasks?folderId=f2"});
    ASSERT_TRUE(waitUntil([&] { return vm.taskCount() == 1; }));
    EXPECT_TRUE(
        waitUntil([&] { return qAbs(item("tabHighlight")->x() - item("tab:f2")->x()) < 1; }));
    screen->settle();
    EXPECT_FALSE(showsText(QStringLiteral("Пока пусто")));
    EXPECT_FALSE(showsText(QStringLiteral("Выполнено")));

    answer(QList<TaskItem>{makeTask("a"), makeTask("b", TaskStatus::done)});
    screen->click(item("tab:f1"));
    ASSERT_TRUE(waitUntil([&] { return vm.taskCount() == 2; }));
    screen->settle();
    EXPECT_TRUE(showsText(QStringLiteral("Выполнено")));
    const auto struck = [&](const char* title) {
        return screen->itemWithText(QString::fromUtf8(title))
            ->property("font")
            .value<QFont>()
            .strikeOut();
    };
    EXPECT_FALSE(struck("Задача a"));
    EXPECT_TRUE(struck("Задача b"));
    screen->click(item("tab:f1"), Qt::RightButton);
    EXPECT_FALSE(shown("folderMenu")); // a system folder is never deleted
}

TEST_F(RootScreenTest, A_card_completes_its_task_and_its_menu_deletes_it) {
    open(threeFolders, {makeTask("a"), makeTask("b")});
    answer(makeTask("a", TaskStatus::done));
    screen->click(screen->item("toggleButton", item("card:a")));
    EXPECT_EQ(sent(1), QStringList{"POST /tasks/a/complete"});

    screen->click(item("card:b"), Qt::RightButton);
    EXPECT_TRUE(shown("cardMenu"));
    EXPECT_TRUE(showsText(QStringLiteral("Выполнить")));
    EXPECT_TRUE(showsText(QStringLiteral("Пробел"))); // its key
    answer(makeTask("b"));
    clickText(QStringLiteral("Удалить"));
    EXPECT_EQ(sent(1), QStringList{"DELETE /tasks/b"});
    EXPECT_EQ(vm.taskCount(), 1);
}

TEST_F(RootScreenTest, Input_is_sent_by_Return_and_the_panel_follows_the_capture) {
    open(threeFolders, {});
    QQuickItem* field = item("inputField");
    screen->click(field);
    screen->type(QStringLiteral("   "));
    screen->press(Qt::Key_Return);
    EXPECT_EQ(text("inputField"), QStringLiteral("   ")); // nothing to send, so it stays

    field->setProperty("text", QStringLiteral("купить хлеб"));
    transport->setHeld(true);
    screen->press(Qt::Key_Return);
    EXPECT_EQ(text("inputField"), QString());
    EXPECT_TRUE(showsText(QStringLiteral("AI разбирает…")));
    EXPECT_FALSE(field->isEnabled());
    answer(applyResult(QStringLiteral("Записал")), threeFolders, QList<TaskItem>{});
    transport->setHeld(false);
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    screen->settle();
    EXPECT_FALSE(shown("progressRow"));
    EXPECT_TRUE(field->isEnabled());
    screen->click(item("copyButton"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Записал"));

    // A failure shows its line; the next capture hides it while it runs.
    answerStatus(500);
    screen->click(field);
    screen->type(QStringLiteral("ещё"));
    screen->click(item("sendButton"));
    ASSERT_TRUE(waitUntil([&] { return vm.errorText().has_value(); }));
    screen->settle();
    EXPECT_TRUE(shown("errorLine"));
    transport->setHeld(true);
    screen->click(field);
    screen->type(QStringLiteral("и ещё"));
    screen->press(Qt::Key_Return);
    EXPECT_FALSE(shown("errorLine"));
    EXPECT_TRUE(shown("progressRow"));
    answer(applyResult(QString()), threeFolders, QList<TaskItem>{});
    transport->setHeld(false);
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
}

TEST_F(RootScreenTest, Recording_holds_the_text_input_and_a_failed_one_is_offered_again) {
    open(threeFolders, {});
    QQuickItem* field = item("inputField");
    screen->click(field);
    screen->type(QStringLiteral("черновик"));
    screen->click(item("micButton"));
    ASSERT_TRUE(recorder.isRecording());
    EXPECT_FALSE(field->isEnabled());
    EXPECT_LT(field->opacity(), 1); // and looks it
    EXPECT_FALSE(item("sendButton")->isEnabled());
    EXPECT_EQ(text("inputField", "placeholderText"), QStringLiteral("Слушаю…"));
    ASSERT_TRUE(waitUntil([&] { return recorder.level() > 0.1; }));
    screen->settle();
    EXPECT_TRUE(shown("levelRing"));

    answerStatus(503);
    screen->click(item("micButton"));
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy() && vm.errorText(); }));
    EXPECT_TRUE(field->isEnabled());
    EXPECT_EQ(text("inputField", "placeholderText"), QStringLiteral("Напиши или наговори задачу"));
    EXPECT_FALSE(shown("levelRing"));

    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    // The line fades in; a button takes clicks once it shows.
    ASSERT_TRUE(waitUntil([&] { return item("errorRow")->opacity() == 1; }));
    screen->click(item("retryButton"));
    EXPECT_EQ(sent(4), (QStringList{"POST /captures", "POST /captures", "GET /folders",
                                    "GET /tasks?folderId=f1"}));
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    screen->settle();
    EXPECT_FALSE(shown("retryButton"));

    // One that ends by itself is not sent unasked, nor lost: the line says what stopped it.
    screen->click(item("micButton"));
    ASSERT_TRUE(waitUntil([&] { return recorder.level() > 0.1; }));
    tone->loseDevice(QStringLiteral("unplugged"));
    screen->settle();
    ASSERT_TRUE(waitUntil([&] { return shown("errorRow") && item("errorRow")->opacity() == 1; }));
    EXPECT_EQ(text("errorLine"), QStringLiteral("Запись прервалась: микрофон отключён"));
    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    screen->click(item("retryButton"));
    EXPECT_EQ(sent(3), (QStringList{"POST /captures", "GET /folders", // the click's, none before
                                    "GET /tasks?folderId=f1"}));
}

TEST_F(RootScreenTest, Update_buttons_need_an_updater_and_the_sort_menu_reloads) {
    UpdaterSettings askedOnly;
    askedOnly.firstCheckDelay = std::nullopt;
    AppUpdater updater(&updateState, askedOnly); // no feed: each check opens the dialog and fails
    QSignalSpy checks(&updater, &AppUpdater::dialogRequested);
    open(threeFolders, {});
    updateState.reportValidUpdate();
    screen->settle();
    EXPECT_FALSE(shown("installUpdateButton"));

    screen->root()->setProperty("updater", QVariant::fromValue(&updater));
    screen->settle();
    EXPECT_FALSE(shown("checkUpdatesButton"));
    screen->click(item("installUpdateButton"));
    updateState.reportNoUpdate();
    screen->settle();
    EXPECT_FALSE(shown("installUpdateButton"));
    screen->click(item("checkUpdatesButton"));
    EXPECT_EQ(checks.size(), 2);

    answer(QList<TaskItem>{});
    screen->click(item("sortButton"));
    clickText(QStringLiteral("По дедлайну"));
    EXPECT_EQ(sent(1), QStringList{"GET /tasks?folderId=f1"});
    EXPECT_TRUE(vm.sortByDeadline());
    EXPECT_EQ(screen->warnings(), QStringList());
    screen.reset(); // before the updater goes
}

TEST_F(RootScreenTest, The_new_folder_dialog_creates_or_cancels_and_starts_empty) {
    open(threeFolders, {});
    screen->click(item("addFolderButton"));
    screen->type(QStringLiteral("Путешествия"));
    answer(makeFolder("f4", QStringLiteral("Путешествия")), threeFolders);
    screen->click(item("createFolderButton"));
    EXPECT_EQ(sent(2), (QStringList{"POST /folders", "GET /folders"}));
    EXPECT_EQ(body(1), (QJsonObject{{"name", "Путешествия"}}));
    EXPECT_FALSE(shown("newFolderDialog"));

    screen->click(item("addFolderButton"));
    EXPECT_EQ(text("folderNameField"), QString());
    screen->type(QStringLiteral("Черновик"));
    screen->click(item("cancelFolderButton"));
    screen->click(item("addFolderButton"));
    EXPECT_EQ(text("folderNameField"), QString());
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("newFolderDialog"));
    EXPECT_EQ(newRequests(), QStringList());
}

} // namespace
