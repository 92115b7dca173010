#include "OndrelCore/planning/ReminderScheduler.h"
#include "OndrelCore/planning/ReminderDate.h"
#include "support/MockCalendarService.h"

#include "Records.h"
#include "support/AwaitTask.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace std::chrono_literals;

TaskItem deadlineTask(std::optional<QString> recurrence) {
    TaskItem task = makeTask("t1", QStringLiteral("f1"), day(1), at("2024-03-10T09:00:00Z"));
    task.hasDeadline = true;
    task.reminderLead = 30;
    task.body = QStringLiteral("Купить молоко и хлеб");
    task.reminderAt = at("2024-03-01T00:00:00Z"); // not consulted
    task.recurrence = std::move(recurrence);
    return task;
}

class FailingCalendar : public CalendarService {
public:
    QCoro::Task<QString> addReminder(ReminderRequest) override {
        throw std::runtime_error("calendar is read-only");
        co_return QString();
    }
};

// The task goes into the request (a rule that does not parse still leaves the reminder), only
// with both a deadline flag and a date; the scheduler may be a temporary; the calendar's error
// comes out.
TEST(ReminderScheduler, SchedulesDeadlinesOnly) {
    auto calendar = std::make_shared<MockCalendarService>();
    const TaskItem task = deadlineTask(QStringLiteral("FREQ=WEEKLY;BYDAY=MO"));
    auto scheduling = ReminderScheduler(calendar).scheduleIfNeeded(task);
    EXPECT_EQ(awaitTask(std::move(scheduling)), QStringLiteral("evt-1"));
    EXPECT_EQ(awaitTask(ReminderScheduler(calendar).scheduleIfNeeded(deadlineTask(u"FREQ=X"_qs))),
              QStringLiteral("evt-1"));
    TaskItem undated = task, unflagged = task;
    undated.dueDate.reset();
    unflagged.hasDeadline = false;
    for (const TaskItem& skipped : {undated, unflagged})
        EXPECT_EQ(awaitTask(ReminderScheduler(calendar).scheduleIfNeeded(skipped)), std::nullopt);
    ASSERT_EQ(calendar->added().size(), 2);
    EXPECT_EQ(calendar->added()[0],
              (ReminderRequest{
                  .title = task.title,
                  .dueDate = *task.dueDate,
                  .leadMinutes = 30,
                  .recurrence = RecurrenceRule{RecurrenceRule::Freq::weekly, 1, {}, {}, {1}},
                  .notes = task.body,
              }));
    EXPECT_EQ(calendar->added()[1].recurrence, std::nullopt);

    ReminderScheduler failing(std::make_shared<FailingCalendar>());
    EXPECT_THROW(awaitTask(failing.scheduleIfNeeded(task)), std::runtime_error);
}

// The lead moves the due instant earlier; a lead beyond the clock's range pins the result to
// the clock's end instead of wrapping round.
TEST(ReminderDate, MovesTheDueInstantEarlierByTheLead) {
    const Instant due = at("2024-03-31T01:30:00.250Z"); // across a clock change in Europe
    const std::pair<std::optional<qint64>, Instant::Duration> cases[] = {
        {std::nullopt, 0s}, {0, 0s}, {15, 900s}, {1440, 86400s}, {-5, -300s}};
    for (const auto& [lead, earlier] : cases)
        EXPECT_EQ(reminderDate(due, lead).time, due.time - earlier) << lead.value_or(-1);

    using Rep = Instant::Duration::rep;
    const qint64 huge = std::numeric_limits<qint64>::max();
    EXPECT_EQ(reminderDate(due, huge).time.time_since_epoch().count(),
              std::numeric_limits<Rep>::min());
    EXPECT_EQ(reminderDate(due, -huge).time.time_since_epoch().count(),
              std::numeric_limits<Rep>::max());
    // Fits as a lead but not once subtracted from a date before the epoch.
    EXPECT_EQ(
        reminderDate(at("1900-01-01T00:00:00Z"), 153'700'000'000LL).time.time_since_epoch().count(),
        std::numeric_limits<Rep>::min());
}

} // namespace
