#include "RootScreenFixture.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// The edit and folder delete sheets, opened from the root screen and driven through their
// controls; what they send is read off the scripted service.
using SheetsTest = RootScreenFixture;

const QList<Folder> threeFolders{makeFolder("f1", QStringLiteral("Входящие")),
                                 makeFolder("f2", QStringLiteral("Дом")),
                                 makeFolder("f3", QStringLiteral("Работа"))};

TEST_F(SheetsTest, Edit_sheet_shows_the_task_and_saves_what_its_controls_hold) {
    TaskItem inbox = makeTask("a", TaskStatus::inbox);
    inbox.folderId = QStringLiteral("f1");
    inbox.body = QStringLiteral("  старое \n");
    open(threeFolders, {inbox});
    const auto openSheet = [&] {
        screen->click(screen->item("openButton", screen->item("card:a")));
        return shown("taskEditSheet");
    };
    ASSERT_TRUE(openSheet());
    EXPECT_EQ(screen->item("statusPicker")->property("displayText").toString(),
              QStringLiteral("Открыта"));
    EXPECT_EQ(screen->item("folderPicker")->property("count").toInt(), 3); // no "Без папки"
    EXPECT_FALSE(shown("datePicker"));

    screen->type(QStringLiteral("!"));
    screen->click(screen->item("priorityPicker"));
    screen->click(screen->itemWithText(QStringLiteral("Высокий")));
    screen->click(screen->item("deadlineSwitch"));
    EXPECT_TRUE(shown("datePicker"));
    answer(makeTask("a"), QList<TaskItem>{inbox});
    screen->click(screen->item("sheetTrailingButton"));
    ASSERT_TRUE(waitUntil([&] { return !shown("taskEditSheet"); }));
    EXPECT_EQ(newRequests(), (QStringList{"PATCH /tasks/a", "GET /tasks?folderId=f1"}));
    QJsonObject sent = body(1);
    EXPECT_TRUE(sent.take("dueDate").isString());
    EXPECT_EQ(sent, (QJsonObject{{"title", "Задача a!"},
                                 {"status", "TODO"},
                                 {"priority", "HIGH"},
                                 {"folderId", "f1"},
                                 {"body", "старое"},
                                 {"hasDeadline", true}}));

    // "Отмена" and Escape close without saving; Ctrl+Return presses "Готово".
    ASSERT_TRUE(openSheet());
    screen->type(QStringLiteral("?"));
    screen->click(screen->item("sheetLeadingButton"));
    EXPECT_FALSE(shown("taskEditSheet"));
    ASSERT_TRUE(openSheet());
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("taskEditSheet"));
    EXPECT_EQ(newRequests(), QStringList());
    ASSERT_TRUE(openSheet());
    answer(makeTask("a"), QList<TaskItem>{inbox});
    screen->press(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return !shown("taskEditSheet"); }));
    EXPECT_EQ(newRequests(), (QStringList{"PATCH /tasks/a", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(1).value("title").toString(), QStringLiteral("Задача a"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(SheetsTest, Edit_sheet_deletes_only_once_the_question_is_answered) {
    open(threeFolders, {makeTask("a"), makeTask("b")});
    screen->click(screen->item("openButton", screen->item("card:a")));
    screen->click(screen->item("deleteTaskButton"));
    ASSERT_TRUE(showsText(QStringLiteral("Удалить задачу?")));
    screen->click(screen->item("keepTaskButton"));
    EXPECT_FALSE(shown("deleteConfirmation"));
    EXPECT_TRUE(shown("taskEditSheet"));
    EXPECT_EQ(newRequests(), QStringList());

    screen->click(screen->item("deleteTaskButton"));
    answer(makeTask("a"));
    screen->click(screen->item("confirmDeleteButton"));
    ASSERT_TRUE(waitUntil([&] { return !shown("taskEditSheet"); }));
    EXPECT_EQ(newRequests(), QStringList{"DELETE /tasks/a"});
    EXPECT_EQ(vm.taskCount(), 1);
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(SheetsTest, Folder_sheet_moves_or_deletes_the_tasks_and_closes_once_done) {
    open(threeFolders, {});
    const auto askToDelete = [&](const char* tab) {
        screen->click(screen->item(tab), Qt::RightButton);
        screen->click(screen->itemWithText(QStringLiteral("Удалить папку")));
        return shown("folderDeleteSheet");
    };

    ASSERT_TRUE(askToDelete("tab:f2"));
    EXPECT_TRUE(showsText(QStringLiteral("Папка «Дом» будет удалена. Действие необратимо.")));
    screen->click(screen->item("targetPicker"));
    screen->click(screen->itemWithText(QStringLiteral(" Работа")));
    screen->click(screen->item("secondSegment"));
    EXPECT_TRUE(showsText(QStringLiteral("Все задачи этой папки будут удалены безвозвратно.")));
    screen->click(screen->item("firstSegment")); // the chosen target is still chosen
    QQuickItem* confirm = screen->item("confirmFolderDeleteButton");
    answer(threeFolders[1], QList<Folder>{threeFolders[0], threeFolders[2]}, QList<TaskItem>{});
    transport->setHeld(true);
    screen->click(confirm);
    EXPECT_FALSE(confirm->isEnabled());
    EXPECT_TRUE(screen->item("sheetLeadingButton")->isEnabled());
    transport->release();
    transport->setHeld(false);
    ASSERT_TRUE(waitUntil([&] { return !shown("folderDeleteSheet"); }));
    EXPECT_EQ(newRequests(), (QStringList{"DELETE /folders/f2?tasks=move&to=f3", "GET /folders",
                                          "GET /tasks?folderId=f1"}));

    screen->settle();
    ASSERT_TRUE(askToDelete("tab:f3"));
    screen->click(screen->item("secondSegment"));
    confirm = screen->item("confirmFolderDeleteButton");
    EXPECT_EQ(confirm->property("text").toString(), QStringLiteral("Удалить папку и задачи"));
    answer(threeFolders[2], QList<Folder>{threeFolders[0]}, QList<TaskItem>{});
    screen->click(confirm);
    ASSERT_TRUE(waitUntil([&] { return !shown("folderDeleteSheet"); }));
    EXPECT_EQ(newRequests(), (QStringList{"DELETE /folders/f3?tasks=delete", "GET /folders",
                                          "GET /tasks?folderId=f1"}));

    // With no other folder the tasks stay without one.
    ASSERT_TRUE(askToDelete("tab:f1"));
    EXPECT_TRUE(showsText(QStringLiteral("Других папок нет — задачи останутся без папки.")));
    answer(threeFolders[0], QList<Folder>{}, QList<TaskItem>{});
    screen->click(screen->item("confirmFolderDeleteButton"));
    ASSERT_TRUE(waitUntil([&] { return !shown("folderDeleteSheet"); }));
    EXPECT_EQ(newRequests(),
              (QStringList{"DELETE /folders/f1?tasks=move", "GET /folders", "GET /tasks"}));
    EXPECT_EQ(screen->warnings(), QStringList());
}

} // namespace
