#include "RootScreenFixture.h"

#include <QQuickWindow>

#include <gtest/gtest.h>

namespace {

using SearchScreenTest = RootScreenFixture;

// Ctrl+F, typing, the arrows and Return over the results, Escape back to the whole list; then
// every folder's tasks, where a task of another folder opens in its folder.
TEST_F(SearchScreenTest, Keys_filter_walk_open_and_close_the_results) {
    QList<TaskItem> tasks{makeTask("t1"), makeTask("t2"), makeTask("t3", TaskStatus::done)};
    tasks[0].title = QStringLiteral("Купить молоко");
    tasks[1].title = QStringLiteral("Позвонить маме");
    tasks[2].title = QStringLiteral("Молочный коктейль");
    open(threeFolders, tasks);
    const auto shownRows = [&] { return item("taskList")->property("count").toInt(); };
    // The tasks of the list's rows, in order.
    const auto shownTasks = [&] {
        QObject* rows = item("taskList")->property("model").value<QObject*>();
        QStringList ids;
        for (int row = 0; row < shownRows(); ++row) {
            QString id;
            QMetaObject::invokeMethod(rows, "taskIdAtRow", Q_RETURN_ARG(QString, id),
                                      Q_ARG(int, row));
            if (!id.isEmpty())
                ids.append(id);
        }
        return ids;
    };
    EXPECT_EQ(shownRows(), 4); // three cards and the "Выполнено" header

    screen->press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(screen->window().activeFocusItem(), item("searchField"));
    screen->type(QStringLiteral("МОЛ"));
    EXPECT_EQ(shownRows(), 3);                          // t1, the header, t3
    EXPECT_EQ(shownTasks(), (QStringList{"t1", "t3"})); // a reused card may linger in the pool
    screen->press(Qt::Key_Down);                        // from the first result past the header
    screen->press(Qt::Key_Return);
    ASSERT_TRUE(shown("taskEditSheet"));
    EXPECT_EQ(text("titleField"), tasks[2].title);
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("taskEditSheet"));

    screen->press(Qt::Key_Escape); // closes the search
    EXPECT_FALSE(shown("searchField"));
    EXPECT_EQ(shownRows(), 4);
    EXPECT_EQ(newRequests(), QStringList());

    TaskItem elsewhere = makeTask("w1");
    elsewhere.title = QStringLiteral("Молоко для офиса");
    elsewhere.folderId = QStringLiteral("f3");
    answer(QList<TaskItem>{tasks[0], elsewhere});
    screen->press(Qt::Key_F, Qt::ControlModifier);
    screen->click(item("allFoldersSwitch"));
    EXPECT_EQ(sent(1), QStringList{QStringLiteral("GET /tasks")});
    screen->click(item("searchField"));
    screen->type(QStringLiteral("молоко"));
    EXPECT_EQ(shownRows(), 2);
    EXPECT_EQ(screen->item(QStringLiteral("folderLabel"), item("card:w1"))->property("text"),
              QStringLiteral("Работа"));
    answer(QList<TaskItem>{elsewhere});
    screen->press(Qt::Key_Down);
    screen->press(Qt::Key_Return);
    EXPECT_EQ(sent(1), QStringList{QStringLiteral("GET /tasks?folderId=f3")});
    ASSERT_TRUE(waitUntil([&] { return shown("taskEditSheet"); }));
    EXPECT_EQ(text("titleField"), elsewhere.title);
    EXPECT_FALSE(shown("searchField"));
}

} // namespace
