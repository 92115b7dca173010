#include "OndrelUI/models/TaskFacts.h"
#include "support/QtPrinters.h"

#include "TaskFactory.h"

#include <gtest/gtest.h>

namespace {

// 2025-03-12 09:30 UTC, 12:30 in Moscow.
const Instant noonish = Instant::fromMSecsSinceEpoch(1'741'771'800'000);
const Instant dayBefore = Instant::fromMSecsSinceEpoch(1'741'771'800'000 - 86'400'000);

// A cancelled task is closed but not done: it can be overdue and shows no completion time.
TEST(TaskFacts, Card_facts_follow_deadline_status_and_completion) {
    const QTimeZone moscow("Europe/Moscow");
    const QString march11 = QStringLiteral("11 мар. 2025 г.");
    const QString march12 = QStringLiteral("12 мар. 2025 г.");
    using enum TaskStatus;
    const struct {
        const char* what;
        TaskStatus status;
        std::optional<Instant> due;
        bool hasDeadline;
        std::optional<Instant> completedAt;
        QString dueText;
        bool overdue;
        bool noDeadline;
        QString completedText;
    } cases[] = {
        {"date without the flag", todo, dayBefore, false, {}, {}, false, true, {}},
        {"flag without a date", todo, {}, true, {}, {}, false, true, {}},
        {"deadline passed", todo, dayBefore, true, {}, march11, true, false, {}},
        {"deadline ahead", todo, noonish, true, {}, march12, false, false, {}},
        {"done late", done, dayBefore, true, noonish, march11, false, false, march12 + ", 12:30"},
        {"done with neither", done, {}, false, {}, {}, false, false, {}},
        {"cancelled", cancelled, dayBefore, true, noonish, march11, true, false, {}},
    };
    for (const auto& c : cases) {
        TaskItem task = makeTask("t", c.status);
        task.dueDate = c.due;
        task.hasDeadline = c.hasDeadline;
        task.completedAt = c.completedAt;
        EXPECT_EQ(TaskFacts::dueText(task, moscow), c.dueText) << c.what;
        EXPECT_EQ(TaskFacts::isOverdue(task, noonish), c.overdue) << c.what;
        EXPECT_EQ(TaskFacts::showsNoDeadline(task), c.noDeadline) << c.what;
        EXPECT_EQ(TaskFacts::completedText(task, moscow), c.completedText) << c.what;
    }

    TaskItem task = makeTask("t");
    task.checklist = QList<ChecklistItem>{};
    EXPECT_EQ(TaskFacts::checklistText(task), QString());
    task.checklist = QList<ChecklistItem>{{"1", "a", true}, {"2", "b", false}, {"3", "c"}};
    EXPECT_EQ(TaskFacts::checklistText(task), QStringLiteral("1/3"));
    // 2025-05-01 02:05 UTC: May the 1st in Moscow, its month in the genitive and unabbreviated.
    EXPECT_EQ(TaskFacts::abbreviatedDate(Instant::fromMSecsSinceEpoch(1'746'065'100'000), moscow),
              QStringLiteral("1 мая 2025 г."));
}

} // namespace
