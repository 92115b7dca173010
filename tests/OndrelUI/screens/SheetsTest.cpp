#include "RootScreenFixture.h"

#include <gtest/gtest.h>

namespace {

// The edit and folder delete sheets, opened from the root screen and driven through their
// controls; what they send is read off the scripted service.
using SheetsTest = RootScreenFixture;

TEST_F(SheetsTest, Edit_sheet_shows_the_task_and_saves_what_its_controls_hold) {
    TaskItem inbox = makeTask("a", TaskStatus::inbox);
    inbox.folderId = QStringLiteral("f1");
    inbox.body = QStringLiteral("  старое \n");
    open(threeFolders, {inbox});
    const auto openSheet = [&] {
        screen->click(screen->item("openButton", item("card:a")));
        return shown("taskEditSheet");
    };
    ASSERT_TRUE(openSheet());
    EXPECT_EQ(text("statusPicker", "displayText"), QStringLiteral("Открыта"));
    EXPECT_EQ(item("folderPicker")->property("count").toInt(), 3); // no "Без папки"
    EXPECT_FALSE(shown("datePicker"));

    screen->press(Qt::Key_A, Qt::ControlModifier);
    screen->press(Qt::Key_Backspace);
    EXPECT_FALSE(item("sheetTrailingButton")->isEnabled()); // nothing to save without a title
    screen->type(QStringLiteral("Новая"));
    screen->click(item("priorityPicker"));
    clickText(QStringLiteral("Высокий"));
    screen->click(item("deadlineSwitch"));
    EXPECT_TRUE(shown("datePicker"));
    answer(makeTask("a"), QList<TaskItem>{inbox});
    screen->click(item("sheetTrailingButton"));
    EXPECT_EQ(sent(2), (QStringList{"PATCH /tasks/a", "GET /tasks?folderId=f1"}));
    EXPECT_TRUE(waitUntil([&] { return !shown("taskEditSheet"); }));
    QJsonObject saved = body(1);
    EXPECT_TRUE(saved.take("dueDate").isString());
    EXPECT_EQ(saved, (QJsonObject{{"title", "Новая"},
                                  {"status", "TODO"},
                                  {"priority", "HIGH"},
                                  {"folderId", "f1"},
                                  {"body", "старое"},
                                  {"hasDeadline", true}}));

    // "Отмена" closes without saving; Ctrl+Return presses "Готово".
    ASSERT_TRUE(openSheet());
    screen->type(QStringLiteral("?"));
    screen->click(item("sheetLeadingButton"));
    EXPECT_FALSE(shown("taskEditSheet"));
    EXPECT_EQ(newRequests(), QStringList());
    ASSERT_TRUE(openSheet());
    answer(makeTask("a"), QList<TaskItem>{inbox});
    screen->press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(sent(2), (QStringList{"PATCH /tasks/a", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(1).value("title").toString(), QStringLiteral("Задача a"));
}

TEST_F(SheetsTest, Edit_sheet_deletes_only_once_the_question_is_answered) {
    open(threeFolders, {makeTask("a"), makeTask("b")});
    screen->click(screen->item("openButton", item("card:a")));
    screen->click(item("deleteTaskButton"));
    ASSERT_TRUE(showsText(QStringLiteral("Удалить задачу?")));
    screen->click(item("keepTaskButton"));
    EXPECT_FALSE(shown("deleteConfirmation"));
    EXPECT_TRUE(shown("taskEditSheet"));

    screen->click(item("deleteTaskButton"));
    answer(makeTask("a"));
    screen->click(item("confirmDeleteButton"));
    EXPECT_EQ(sent(1), QStringList{"DELETE /tasks/a"});
    EXPECT_TRUE(waitUntil([&] { return !shown("taskEditSheet"); }));
    EXPECT_EQ(vm.taskCount(), 1);
}

TEST_F(SheetsTest, Folder_sheet_moves_or_deletes_the_tasks_and_closes_once_done) {
    open(threeFolders, {});
    const auto deleteFolder = [&](int index, const QList<Folder>& left) {
        const Folder& folder = threeFolders[index];
        screen->click(screen->item(QStringLiteral("tab:") + folder.id), Qt::RightButton);
        clickText(QStringLiteral("Удалить папку"));
        answer(folder, left, QList<TaskItem>{});
        return shown("folderDeleteSheet");
    };
    const auto confirmed = [&] {
        QStringList requests = sent(3);
        EXPECT_TRUE(waitUntil([&] { return !shown("folderDeleteSheet"); }));
        return requests;
    };

    ASSERT_TRUE(deleteFolder(1, {threeFolders[0], threeFolders[2]}));
    EXPECT_TRUE(showsText(QStringLiteral("Папка «Дом» будет удалена. Действие необратимо.")));
    screen->click(item("targetPicker"));
    clickText(QStringLiteral(" Работа"));
    screen->click(item("secondSegment"));
    EXPECT_TRUE(showsText(QStringLiteral("Все задачи этой папки будут удалены безвозвратно.")));
    screen->click(item("firstSegment")); // the chosen target is still chosen
    QQuickItem* confirm = item("confirmFolderDeleteButton");
    transport->setHeld(true);
    screen->click(confirm);
    EXPECT_FALSE(confirm->isEnabled());
    EXPECT_TRUE(item("sheetLeadingButton")->isEnabled());
    transport->setHeld(false);
    EXPECT_EQ(confirmed(), (QStringList{"DELETE /folders/f2?tasks=move&to=f3", "GET /folders",
                                        "GET /tasks?folderId=f1"}));

    ASSERT_TRUE(deleteFolder(2, {threeFolders[0]}));
    screen->click(item("secondSegment"));
    EXPECT_EQ(text("confirmFolderDeleteButton"), QStringLiteral("Удалить папку и задачи"));
    screen->click(item("confirmFolderDeleteButton"));
    EXPECT_EQ(confirmed(), (QStringList{"DELETE /folders/f3?tasks=delete", "GET /folders",
                                        "GET /tasks?folderId=f1"}));

    // With no other folder the tasks stay without one.
    ASSERT_TRUE(deleteFolder(0, {}));
    EXPECT_TRUE(showsText(QStringLiteral("Других папок нет — задачи останутся без папки.")));
    screen->click(item("confirmFolderDeleteButton"));
    EXPECT_EQ(confirmed(),
              (QStringList{"DELETE /folders/f1?tasks=move", "GET /folders", "GET /tasks"}));
}

} // namespace
