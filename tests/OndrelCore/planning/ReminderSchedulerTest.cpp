#include "OndrelCore/planning/ReminderScheduler.h"
#include "OndrelCore/planning/ReminderDate.h"
#include "support/MockCalendarService.h"

#include "Records.h"
#include "support/AwaitTask.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace std::chrono_literals;

TaskItem deadlineTask() {
    TaskItem task = makeTask("t1", QStringLiteral("f1"), day(1), at("2024-03-10T09:00:00Z"));
    task.hasDeadline = true;
    task.reminderLead = 30;
    task.body = QStringLiteral("Купить молоко и хлеб");
    task.reminderAt = at("2024-03-01T00:00:00Z"); // not consulted
    return task;
}

struct Fixture : testing::Test {
    std::shared_ptr<MockCalendarService> calendar = std::make_shared<MockCalendarService>();
    ReminderScheduler scheduler{calendar};
};

TEST_F(Fixture, copiesTheTaskIntoTheRequest) {
    TaskItem task = deadlineTask();
    task.recurrence = QStringLiteral("FREQ=WEEKLY;BYDAY=MO");
    EXPECT_EQ(awaitTask(scheduler.scheduleIfNeeded(task)), QStringLiteral("evt-1"));
    ASSERT_EQ(calendar->added().size(), 1);
    EXPECT_EQ(calendar->added().front(),
              (ReminderRequest{
                  .title = task.title,
                  .dueDate = *task.dueDate,
                  .leadMinutes = 30,
                  .recurrence = RecurrenceRule{RecurrenceRule::Freq::weekly, 1, {}, {}, {1}},
                  .notes = task.body,
              }));
}

TEST_F(Fixture, keepsTheReminderWhenTheRuleDoesNotParse) {
    TaskItem task = deadlineTask();
    task.recurrence = QStringLiteral("FREQ=FORTNIGHTLY");
    task.body.reset();
    task.reminderLead.reset();
    EXPECT_EQ(awaitTask(scheduler.scheduleIfNeeded(task)), QStringLiteral("evt-1"));
    ASSERT_EQ(calendar->added().size(), 1);
    const ReminderRequest& request = calendar->added().front();
    EXPECT_EQ(request.recurrence, std::nullopt);
    EXPECT_EQ(request.notes, std::nullopt);
    EXPECT_EQ(request.leadMinutes, std::nullopt);
}

TEST_F(Fixture, skipsTasksWithoutADeadline) {
    TaskItem flaggedButUndated = deadlineTask();
    flaggedButUndated.dueDate.reset();
    TaskItem datedButUnflagged = deadlineTask();
    datedButUnflagged.hasDeadline = false;
    EXPECT_EQ(awaitTask(scheduler.scheduleIfNeeded(flaggedButUndated)), std::nullopt);
    EXPECT_EQ(awaitTask(scheduler.scheduleIfNeeded(datedButUnflagged)), std::nullopt);
    EXPECT_TRUE(calendar->added().isEmpty());
}

class FailingCalendar : public CalendarService {
public:
    QCoro::Task<QString> addReminder(ReminderRequest) override {
        throw std::runtime_error("calendar is read-only");
        co_return QString();
    }
};

TEST(ReminderScheduler, passesTheCalendarsErrorOn) {
    ReminderScheduler scheduler(std::make_shared<FailingCalendar>());
    EXPECT_THROW(awaitTask(scheduler.scheduleIfNeeded(deadlineTask())), std::runtime_error);
}

// The scheduler may be a temporary; the calendar it holds must outlive the call.
TEST(ReminderScheduler, worksFromATemporary) {
    auto calendar = std::make_shared<MockCalendarService>();
    auto pending = ReminderScheduler(calendar).scheduleIfNeeded(deadlineTask());
    EXPECT_EQ(awaitTask(std::move(pending)), QStringLiteral("evt-1"));
}

TEST(ReminderDate, movesTheDueInstantEarlierByTheLead) {
    const Instant due = at("2024-03-31T01:30:00.250Z"); // across a clock change in Europe
    const std::pair<std::optional<qint64>, Instant::Duration> cases[] = {
        {std::nullopt, 0s}, {0, 0s}, {15, 900s}, {1440, 86400s}, {-5, -300s}};
    for (const auto& [lead, earlier] : cases)
        EXPECT_EQ(reminderDate(due, lead).time, due.time - earlier) << lead.value_or(-1);
}

TEST(ReminderDate, pinsLeadsBeyondTheClocksRange) {
    using Rep = Instant::Duration::rep;
    const Instant due = at("2024-03-10T09:00:00Z");
    const qint64 huge = std::numeric_limits<qint64>::max();
    EXPECT_EQ(reminderDate(due, huge).time.time_since_epoch().count(),
              std::numeric_limits<Rep>::min());
    EXPECT_EQ(reminderDate(due, -huge).time.time_since_epoch().count(),
              std::numeric_limits<Rep>::max());
    // Fits as a lead but not once subtracted from a date before the epoch.
    const Instant early = at("1900-01-01T00:00:00Z");
    EXPECT_EQ(reminderDate(early, 153'700'000'000LL).time.time_since_epoch().count(),
              std::numeric_limits<Rep>::min());
}

} // namespace
