#include "OndrelUI/models/TaskFacts.h"
#include "support/QtPrinters.h"

#include "TaskFactory.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// 2025-03-12 09:30 UTC, 12:30 in Moscow.
const Instant noonish = Instant::fromMSecsSinceEpoch(1'741'771'800'000);
const Instant dayBefore = Instant::fromMSecsSinceEpoch(1'741'771'800'000 - 86'400'000);

TEST(TaskFacts, Card_facts_follow_deadline_status_checklist_and_completion) {
    const QTimeZone moscow("Europe/Moscow");
    const struct {
        const char* what;
        std::function<void(TaskItem&)> change;
        QString due;
        bool overdue;
        bool noDeadline;
        QString checklist;
        QString completed;
    } cases[] = {
        {"plain", [](TaskItem&) {}, {}, false, true, {}, {}},
        {"date without the deadline flag",
         [](TaskItem& t) { t.dueDate = dayBefore; },
         {},
         false,
         true,
         {},
         {}},
        {"deadline passed",
         [](TaskItem& t) { t.dueDate = dayBefore, t.hasDeadline = true; },
         "11 мар. 2025 г.",
         true,
         false,
         {},
         {}},
        {"deadline ahead",
         [](TaskItem& t) { t.dueDate = noonish, t.hasDeadline = true; },
         "12 мар. 2025 г.",
         false,
         false,
         {},
         {}},
        {"flag without a date", [](TaskItem& t) { t.hasDeadline = true; }, {}, false, true, {}, {}},
        {"done after the deadline",
         [](TaskItem& t) {
             t.status = TaskStatus::done, t.dueDate = dayBefore, t.hasDeadline = true;
             t.completedAt = noonish;
         },
         "11 мар. 2025 г.",
         false,
         false,
         {},
         "12 мар. 2025 г., 12:30"},
        {"done without a deadline or a completion time",
         [](TaskItem& t) { t.status = TaskStatus::done; },
         {},
         false,
         false,
         {},
         {}},
        {"cancelled is closed but not done",
         [](TaskItem& t) {
             t.status = TaskStatus::cancelled, t.dueDate = dayBefore, t.hasDeadline = true;
             t.completedAt = noonish;
         },
         "11 мар. 2025 г.",
         true,
         false,
         {},
         {}},
        {"checklist",
         [](TaskItem& t) {
             t.checklist = QList<ChecklistItem>{{"1", "a", true}, {"2", "b", false}, {"3", "c"}};
         },
         {},
         false,
         true,
         "1/3",
         {}},
        {"empty checklist",
         [](TaskItem& t) { t.checklist = QList<ChecklistItem>{}; },
         {},
         false,
         true,
         {},
         {}},
    };
    for (const auto& c : cases) {
        TaskItem task = makeTask("t");
        c.change(task);
        EXPECT_EQ(TaskFacts::dueText(task, moscow), c.due) << c.what;
        EXPECT_EQ(TaskFacts::isOverdue(task, noonish), c.overdue) << c.what;
        EXPECT_EQ(TaskFacts::showsNoDeadline(task), c.noDeadline) << c.what;
        EXPECT_EQ(TaskFacts::checklistText(task), c.checklist) << c.what;
        EXPECT_EQ(TaskFacts::completedText(task, moscow), c.completed) << c.what;
    }
}

TEST(TaskFacts, Dates_read_in_Russian_in_the_given_zone) {
    const QTimeZone moscow("Europe/Moscow");
    const QTimeZone newYork("America/New_York");
    // 2025-05-01 02:05 UTC: May the 1st in Moscow, still April in New York.
    const Instant may = Instant::fromMSecsSinceEpoch(1'746'065'100'000);
    EXPECT_EQ(TaskFacts::abbreviatedDate(may, moscow), QStringLiteral("1 мая 2025 г."));
    EXPECT_EQ(TaskFacts::abbreviatedDateTime(may, newYork),
              QStringLiteral("30 апр. 2025 г., 22:05"));
}

} // namespace
