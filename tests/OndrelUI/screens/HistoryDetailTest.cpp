#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelUI/models/TaskFacts.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// The history (Ctrl+H) and a task's detail (the card's "Подробнее"), each on the signed-in
// session's client, driven through their controls.
using HistoryDetailTest = RootScreenFixture;

TEST_F(HistoryDetailTest, History_lists_the_captures_and_a_row_opens_its_capture) {
    open(threeFolders, {});
    Capture failed = makeCapture("c2");
    failed.status = CaptureStatus::failed;
    failed.createdAt = Instant::fromMSecsSinceEpoch(1'700'000'000'000);
    answer(QList<Capture>{makeCapture("c1"), failed});
    screen->press(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(sent(1), QStringList{"GET /captures"});
    ASSERT_TRUE(waitUntil([&] { return item("capture:c2") != nullptr; }));
    EXPECT_TRUE(showsText(QStringLiteral("UPLOADED")));
    EXPECT_TRUE(showsText(QStringLiteral("FAILED")));
    EXPECT_TRUE(
        showsText(TaskFacts::abbreviatedDate(failed.createdAt, QTimeZone::systemTimeZone())));

    answer(CaptureWithRuns{.capture = failed}, CaptureWithRuns{.capture = makeCapture("c1")});
    screen->click(item("capture:c2"));
    screen->press(Qt::Key_Up);
    screen->press(Qt::Key_Return);
    EXPECT_EQ(sent(2), (QStringList{"GET /captures/c2", "GET /captures/c1"}));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("historySheet"));
}

TEST_F(HistoryDetailTest, Detail_saves_a_chosen_status_and_ticks_its_checklist_locally) {
    TaskItem task = makeTask("a");
    task.body = QStringLiteral(" \n ");
    task.checklist = QList<ChecklistItem>{{"k1", "Хлеб", false}, {"k2", "Молоко", true}};
    open(threeFolders, {task});
    screen->click(item("card:a"), Qt::RightButton);
    clickText(QStringLiteral("Подробнее"));
    EXPECT_EQ(text("detailTitle"), QStringLiteral("Задача a"));
    EXPECT_EQ(text("sheetTitle"), QStringLiteral("Задача"));
    EXPECT_FALSE(shown("detailBody"));
    QQuickItem* picker = item("detailStatusPicker");
    EXPECT_EQ(picker->property("displayText").toString(), QStringLiteral("TODO"));

    QQuickItem* mark = screen->item("entryMark", item("entry:k1"));
    EXPECT_EQ(mark->property("symbol").toString(), QStringLiteral("circle"));
    screen->click(item("entry:k1"));
    EXPECT_EQ(mark->property("symbol").toString(), QStringLiteral("checkmark.circle.fill"));

    TaskItem done = task;
    done.status = TaskStatus::done;
    answer(done);
    screen->click(picker);
    clickText(QStringLiteral("DONE"));
    EXPECT_EQ(sent(1), QStringList{"PATCH /tasks/a"}); // the tick above sent nothing
    EXPECT_EQ(body(), (QJsonObject{{"status", "DONE"}}));
    EXPECT_TRUE(waitUntil([&] { return picker->property("displayText").toString() == u"DONE"; }));

    // Offline: the save fails and the picker stays on the task's status.
    transport->enqueueError(std::make_exception_ptr(std::runtime_error("offline")));
    screen->click(picker);
    clickText(QStringLiteral("POSTPONED"));
    EXPECT_EQ(sent(1).size(), 1);
    EXPECT_TRUE(waitUntil([&] { return text("detailStatusPicker", "displayText") == u"DONE"; }));

    // Closing the detail reloads the list, which shows what changed there.
    answer(QList<TaskItem>{done});
    screen->click(item("sheetTrailingButton"));
    EXPECT_FALSE(shown("detailSheet"));
    EXPECT_EQ(sent(1), QStringList{"GET /tasks?folderId=f1"});
}

} // namespace
