#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelUI/models/TaskFacts.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// The history (Ctrl+H) and a task's detail (the card's "Подробнее"), each on the signed-in
// session's client, driven through their controls.
using HistoryDetailTest = RootScreenFixture;

const QList<Folder> oneFolder{makeFolder("f1", QStringLiteral("Входящие"))};

TEST_F(HistoryDetailTest, History_lists_the_captures_and_a_row_opens_its_capture) {
    open(oneFolder, {});
    Capture failed = makeCapture("c2");
    failed.status = CaptureStatus::failed;
    failed.createdAt = Instant::fromMSecsSinceEpoch(1'700'000'000'000);
    answer(QList<Capture>{makeCapture("c1"), failed});
    screen->press(Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return screen->item("capture:c2") != nullptr; }));
    EXPECT_EQ(newRequests(), QStringList{"GET /captures"});
    EXPECT_TRUE(showsText(QStringLiteral("UPLOADED")));
    EXPECT_TRUE(showsText(QStringLiteral("FAILED")));
    EXPECT_TRUE(
        showsText(TaskFacts::abbreviatedDate(failed.createdAt, QTimeZone::systemTimeZone())));

    answer(CaptureWithRuns{.capture = failed});
    screen->click(screen->item("capture:c2"));
    screen->press(Qt::Key_Up);
    answer(CaptureWithRuns{.capture = makeCapture("c1")});
    screen->press(Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return transport->requests().size() == 5; }));
    EXPECT_EQ(newRequests(), (QStringList{"GET /captures/c2", "GET /captures/c1"}));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("historySheet"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(HistoryDetailTest, Detail_saves_a_chosen_status_and_ticks_its_checklist_locally) {
    TaskItem task = makeTask("a");
    task.body = QStringLiteral(" \n ");
    task.checklist = QList<ChecklistItem>{{"k1", "Хлеб", false}, {"k2", "Молоко", true}};
    open(oneFolder, {task});
    screen->click(screen->item("card:a"), Qt::RightButton);
    screen->click(screen->itemWithText(QStringLiteral("Подробнее")));
    ASSERT_TRUE(shown("detailSheet"));
    EXPECT_EQ(screen->item("detailTitle")->property("text").toString(), QStringLiteral("Задача a"));
    EXPECT_FALSE(shown("detailBody"));
    QQuickItem* picker = screen->item("detailStatusPicker");
    EXPECT_EQ(picker->property("displayText").toString(), QStringLiteral("TODO"));

    QQuickItem* mark = screen->item("entryMark", screen->item("entry:k1"));
    EXPECT_EQ(mark->property("symbol").toString(), QStringLiteral("circle"));
    screen->click(screen->item("entry:k1"));
    EXPECT_EQ(mark->property("symbol").toString(), QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(newRequests(), QStringList());

    TaskItem done = task;
    done.status = TaskStatus::done;
    answer(done);
    screen->click(picker);
    screen->click(screen->itemWithText(QStringLiteral("DONE")));
    EXPECT_TRUE(waitUntil([&] { return picker->property("displayText").toString() == u"DONE"; }));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/a"});
    EXPECT_EQ(body(), (QJsonObject{{"status", "DONE"}}));

    // Offline: the save fails and the picker stays on the task's status.
    transport->enqueueError(std::make_exception_ptr(std::runtime_error("offline")));
    screen->click(picker);
    screen->click(screen->itemWithText(QStringLiteral("POSTPONED")));
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    screen->settle();
    EXPECT_EQ(picker->property("displayText").toString(), QStringLiteral("DONE"));

    // Closing the detail reloads the list, which shows what changed there.
    answer(QList<TaskItem>{done});
    screen->click(screen->item("sheetTrailingButton"));
    EXPECT_FALSE(shown("detailSheet"));
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    EXPECT_EQ(screen->warnings(), QStringList());
}

} // namespace
