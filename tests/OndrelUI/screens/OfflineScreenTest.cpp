#include "RootScreenFixture.h"

#include "OndrelCore/client/TransportError.h"

#include <gtest/gtest.h>

namespace {

using OfflineScreenTest = RootScreenFixture;

// Without the service the lists stay: the line under the header says since when, a completed
// task is marked as unsent and offers "Отменить" (Ctrl+Z withdraws it), a typed line waits
// in the queue and the panel counts it; a search of every folder reads the replica.
TEST_F(OfflineScreenTest, The_line_the_mark_the_count_and_undo_follow_the_queue) {
    const QList<TaskItem> tasks{makeTask("a"), makeTask("b")};
    open(threeFolders, tasks);
    vm.offline()->open(directory.filePath(QStringLiteral("replica.sqlite")),
                       [this] { return session.client(); });
    TaskItem elsewhere = makeTask("w");
    elsewhere.title = QStringLiteral("Сдать отчет");
    elsewhere.folderId = QStringLiteral("f3");
    vm.offline()->replica()->replica().applyPull(
        {.folders = threeFolders, .tasks = tasks + QList{elsewhere}, .serverTime = Instant::now()},
        Instant::now());
    transport->setHandler([](const HTTPRequest&) -> HTTPResponse {
        throw TransportError(QNetworkReply::ConnectionRefusedError, QString());
    });
    EXPECT_FALSE(shown("connectionLine"));
    EXPECT_FALSE(shown("pendingMark"));

    screen->click(item("toggleButton"));
    ASSERT_TRUE(waitUntil([&] { return shown("undoButton"); }));
    EXPECT_TRUE(text("connectionLine").startsWith(QStringLiteral("Нет связи с сервисом · ")));
    EXPECT_TRUE(shown("pendingMark"));
    EXPECT_EQ(vm.doneTasks().size(), 1);
    screen->press(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return !shown("undoButton"); }));
    EXPECT_FALSE(shown("pendingMark"));
    EXPECT_EQ(vm.doneTasks().size(), 0);
    EXPECT_EQ(vm.offline()->replica()->queue().size(), 0);

    screen->click(item("inputField"));
    screen->type(QStringLiteral("купить хлеб"));
    screen->press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return shown("waitingLine"); }));
    EXPECT_EQ(text("waitingLine"), QStringLiteral("Ждут отправки: 1"));
    EXPECT_FALSE(shown("errorRow"));

    // Every folder is searched in the replica.
    screen->press(Qt::Key_F, Qt::ControlModifier);
    screen->click(item("allFoldersSwitch"));
    screen->click(item("searchField"));
    screen->type(QStringLiteral("ОТЧЁТ"));
    ASSERT_TRUE(waitUntil([&] { return item("taskList")->property("count").toInt() == 1; }));
    EXPECT_EQ(screen->item(QStringLiteral("folderLabel"), item("card:w"))->property("text"),
              QStringLiteral("Работа"));
}

} // namespace
