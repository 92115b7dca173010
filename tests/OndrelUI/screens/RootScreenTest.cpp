#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "support/QtPrinters.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

using RootScreenTest = RootScreenFixture;

const QList<Folder> twoFolders{makeFolder("f1", QStringLiteral("Входящие")),
                               makeFolder("f2", QStringLiteral("Дом"))};

TEST_F(RootScreenTest, Empty_state_or_cards_with_the_done_header_only_for_done_tasks) {
    open(twoFolders, {});
    EXPECT_TRUE(showsText(QStringLiteral("Пока пусто")));
    EXPECT_FALSE(shown("taskList"));

    answer(QList<TaskItem>{makeTask("a")});
    screen->click(screen->item("tab:f2"));
    ASSERT_TRUE(waitUntil([&] { return vm.taskCount() == 1; }));
    screen->settle();
    EXPECT_EQ(newRequests(), QStringList{"GET /tasks?folderId=f2"});
    EXPECT_FALSE(showsText(QStringLiteral("Пока пусто")));
    EXPECT_TRUE(showsText(QStringLiteral("Задача a")));
    EXPECT_FALSE(showsText(QStringLiteral("Выполнено")));

    answer(QList<TaskItem>{makeTask("a"), makeTask("b", TaskStatus::done)});
    screen->click(screen->item("tab:f1"));
    ASSERT_TRUE(waitUntil([&] { return vm.taskCount() == 2; }));
    screen->settle();
    EXPECT_TRUE(showsText(QStringLiteral("Выполнено")));
    EXPECT_TRUE(showsText(QStringLiteral("Задача b")));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, A_long_list_recycles_its_rows_through_the_done_header) {
    QList<TaskItem> tasks;
    for (int i = 0; i < 400; ++i)
        tasks.append(makeTask(QString::number(i), i % 2 ? TaskStatus::done : TaskStatus::todo));
    open(twoFolders, tasks);
    QQuickItem* list = screen->item("taskList");
    auto* rows = list->property("contentItem").value<QQuickItem*>();
    while (!list->property("atYEnd").toBool()) {
        list->setProperty("contentY", list->property("contentY").toDouble() + 150);
        screen->settle();
        EXPECT_LT(rows->childItems().size(), 30);
    }
    EXPECT_TRUE(showsText(QStringLiteral("Задача 399")));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, A_card_completes_opens_and_deletes_its_task) {
    open(twoFolders, {makeTask("a"), makeTask("b")});
    QQuickItem* first = screen->item("card:a");
    ASSERT_NE(first, nullptr);

    answer(makeTask("a", TaskStatus::done));
    screen->click(screen->item("toggleButton", first));
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    EXPECT_EQ(transport->requests().last().url.path(), QStringLiteral("/tasks/a/complete"));

    screen->click(screen->item("openButton", screen->item("card:b")));
    EXPECT_EQ(screen->root()->property("editingTaskId").toString(), QStringLiteral("b"));

    screen->click(screen->item("card:b"), Qt::RightButton);
    ASSERT_NE(screen->find("cardMenu"), nullptr);
    EXPECT_TRUE(showsText(QStringLiteral("Выполнить")));
    answer(makeTask("b"));
    screen->click(screen->itemWithText(QStringLiteral("Удалить")));
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    EXPECT_EQ(transport->requests().last().method, "DELETE");
    EXPECT_EQ(vm.taskCount(), 1);
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, Input_submits_by_its_rules_and_the_panel_follows_the_capture) {
    open(twoFolders, {});
    QQuickItem* field = screen->item("inputField");
    screen->click(field);
    screen->type(QStringLiteral("   "));
    screen->press(Qt::Key_Return);
    EXPECT_EQ(newRequests(), QStringList());
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("   "));

    field->setProperty("text", QString());
    screen->type(QStringLiteral("купить хлеб"));
    transport->setHeld(true);
    screen->press(Qt::Key_Return);
    EXPECT_EQ(field->property("text").toString(), QString());
    EXPECT_TRUE(showsText(QStringLiteral("AI разбирает…")));
    EXPECT_FALSE(field->isEnabled());
    answer(applyResult(QStringLiteral("Записал")), twoFolders, QList<TaskItem>{});
    transport->release();
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    screen->settle();
    EXPECT_FALSE(shown("progressRow"));
    EXPECT_TRUE(field->isEnabled());

    QQuickItem* copy = screen->item("copyButton");
    ASSERT_NE(copy, nullptr);
    screen->click(copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Записал"));
    QObject* mark = copy->property("contentItem").value<QObject*>();
    EXPECT_EQ(mark->property("symbol").toString(), QStringLiteral("checkmark"));
    EXPECT_TRUE(waitUntil([&] { return mark->property("symbol").toString() == u"doc.on.doc"; }));

    // A failure shows its line; the next capture hides it and the answer while it runs.
    screen->click(field);
    screen->type(QStringLiteral("ещё"));
    answerStatus(500, "сломалось");
    screen->click(screen->item("sendButton"));
    ASSERT_TRUE(waitUntil([&] { return !vm.errorText().value_or(QString()).isEmpty(); }));
    screen->settle();
    EXPECT_TRUE(showsText(QStringLiteral("Ошибка 500: сломалось")));
    EXPECT_FALSE(shown("answerText"));
    transport->setHeld(true);
    screen->click(field);
    screen->type(QStringLiteral("и ещё"));
    screen->press(Qt::Key_Return);
    EXPECT_FALSE(shown("errorLine"));
    EXPECT_TRUE(shown("progressRow"));
    answer(applyResult(QStringLiteral("Готово")), twoFolders, QList<TaskItem>{});
    transport->release();
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, Recording_disables_the_field_and_a_second_click_sends_the_audio) {
    open(twoFolders, {});
    QQuickItem* field = screen->item("inputField");
    screen->click(screen->item("micButton"));
    ASSERT_TRUE(recorder.isRecording());
    EXPECT_FALSE(field->isEnabled());
    EXPECT_EQ(field->property("placeholderText").toString(), QStringLiteral("Слушаю…"));
    ASSERT_TRUE(waitUntil([&] { return recorder.level() > 0.1; }));
    screen->settle();
    EXPECT_TRUE(shown("levelRing"));

    answer(CaptureProcessResponse{}, twoFolders, QList<TaskItem>{});
    screen->click(screen->item("micButton"));
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_TRUE(waitUntil([&] { return !vm.isBusy() && vm.assistantAnswer(); }));
    screen->settle();
    EXPECT_EQ(newRequests().value(0), QStringLiteral("POST /captures"));
    EXPECT_FALSE(body(2).value("audioBase64").toString().isEmpty());
    EXPECT_TRUE(field->isEnabled());
    EXPECT_EQ(field->property("placeholderText").toString(),
              QStringLiteral("Напиши или наговори задачу"));
    EXPECT_FALSE(shown("levelRing"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, Update_buttons_need_an_update_action_and_the_sort_menu_reloads) {
    open(twoFolders, {}, false);
    updateState.reportValidUpdate();
    screen->settle();
    EXPECT_FALSE(shown("checkUpdatesButton"));
    EXPECT_FALSE(shown("installUpdateButton"));

    screen->root()->setProperty("checkUpdates", QVariant::fromValue(checkUpdates()));
    screen->settle();
    EXPECT_FALSE(shown("checkUpdatesButton"));
    screen->click(screen->item("installUpdateButton"));
    updateState.reportNoUpdate();
    screen->settle();
    EXPECT_FALSE(shown("installUpdateButton"));
    screen->click(screen->item("checkUpdatesButton"));
    EXPECT_EQ(updateChecks.calls, 2);

    answer(QList<TaskItem>{});
    screen->click(screen->item("sortButton"));
    screen->click(screen->itemWithText(QStringLiteral("По дедлайну")));
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    EXPECT_TRUE(vm.sortByDeadline());
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(RootScreenTest, New_folder_dialog_creates_or_cancels_and_folder_menu_asks_to_delete) {
    open(twoFolders, {});
    screen->click(screen->item("addFolderButton"));
    ASSERT_NE(screen->find("newFolderDialog"), nullptr);
    screen->type(QStringLiteral("Путешествия"));
    answer(makeFolder("f3", QStringLiteral("Путешествия")), twoFolders);
    screen->click(screen->item("createFolderButton"));
    EXPECT_TRUE(waitUntil([&] { return transport->requests().size() == 4; }));
    EXPECT_EQ(newRequests(), (QStringList{"POST /folders", "GET /folders"}));
    EXPECT_EQ(body(1), (QJsonObject{{"name", "Путешествия"}}));
    EXPECT_EQ(screen->find("newFolderDialog"), nullptr);

    screen->click(screen->item("addFolderButton"));
    EXPECT_EQ(screen->item("folderNameField")->property("text").toString(), QString());
    screen->type(QStringLiteral("Черновик"));
    screen->click(screen->item("cancelFolderButton"));
    screen->click(screen->item("addFolderButton"));
    EXPECT_EQ(screen->item("folderNameField")->property("text").toString(), QString());
    screen->press(Qt::Key_Escape);
    EXPECT_EQ(newRequests(), QStringList());

    screen->click(screen->item("tab:f2"), Qt::RightButton);
    screen->click(screen->itemWithText(QStringLiteral("Удалить папку")));
    EXPECT_EQ(screen->root()->property("deletingFolderId").toString(), QStringLiteral("f2"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

} // namespace
