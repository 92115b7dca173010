#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelCore/planning/ReminderDate.h"
#include "OndrelCore/planning/ReminderScheduler.h"
#include "OndrelCore/planning/TaskSort.h"
#include "Records.h"
#include "support/AwaitTask.h"

#include <QLocale>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using Freq = RecurrenceRule::Freq;

RecurrenceRule rule(Freq freq, qint64 interval = 1, std::optional<qint64> byMonthDay = {},
                    std::optional<qint64> byMonth = {}, QList<int> byWeekday = {}) {
    return RecurrenceRule{freq, interval, byMonthDay, byMonth, std::move(byWeekday)};
}

// The forgiving subset, case by case, read the same whatever the locale (Turkish upper-cases
// "i" to a dotted capital).
TEST(RecurrenceRule, ReadsTheForgivingSubsetInAnyLocale) {
    const std::pair<QStringView, std::optional<RecurrenceRule>> cases[] = {
        {u"FREQ=WEEKLY", rule(Freq::weekly)},
        {u"rrule:freq=daily;interval=3", rule(Freq::daily, 3)},
        {u"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", rule(Freq::yearly, 1, 29, 2)},
        {u"FREQ=WEEKLY;BYDAY=MO, we ,XX,FR,MO", rule(Freq::weekly, 1, {}, {}, {1, 3, 5, 1})},
        {u"FREQ=DAILY; INTERVAL=2", rule(Freq::daily)},
        {u"FREQ=DAILY;FREQ=WEEKLY", rule(Freq::weekly)},
        {u"FREQ=HOURLY", std::nullopt},
        {u"FREQ=DAILY;;COUNT=5;UNTIL=20250101T000000Z", rule(Freq::daily)},
        {u"==FREQ=WEEKLY;==INTERVAL=2", rule(Freq::weekly, 2)},
        {u"FREQ=RRULE:WEEKLY;RRULE:INTERVAL=2", rule(Freq::weekly, 2)},
        // One left-to-right pass: removing the inner "RRULE:" does not make a new one count.
        {u"RRRULE:ULE:FREQ=DAILY", std::nullopt},
        {u"FREQ=YEARLY;BYMONTH=13;BYMONTHDAY=0;INTERVAL=-2", rule(Freq::yearly, -2, 0, 13)},
        // Integers: Signed decimal in 64 bits, whole value, ASCII digits only.
        {u"FREQ=DAILY;INTERVAL=9223372036854775807",
         rule(Freq::daily, std::numeric_limits<qint64>::max())},
        {u"FREQ=DAILY;INTERVAL=9223372036854775808", rule(Freq::daily)},
        {u"FREQ=DAILY;INTERVAL=\uFF13", rule(Freq::daily)},
        // Full Unicode upper-casing before anything is matched; weekdays trimmed of Unicode
        // spaces but not of line breaks. A long s upper-cases to S.
        {u"FREQ=WEEKLY;BYDAY=\u017Fu,\u017Fa", rule(Freq::weekly, 1, {}, {}, {7, 6})},
        // "ß" becomes "SS": the text grows, and what follows must still line up.
        {u"X=\u00DF\u00DF\u00DF;freq=monthly;bymonthday=3", rule(Freq::monthly, 1, 3)},
        {u"FREQ=WEEKLY;BYDAY=\tMO\u00A0,\u3000TU\u2009", rule(Freq::weekly, 1, {}, {}, {1, 2})},
        {u"FREQ=WEEKLY;BYDAY=MO\n,TU", rule(Freq::weekly, 1, {}, {}, {2})},
        // Keys and FREQ values are never trimmed, even of Unicode spaces.
        {u"FREQ=DAILY\u00A0", std::nullopt},
    };
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(RecurrenceRule::parse(text), expected) << text.toString().toStdString();
    QLocale::setDefault(previous);
}

using namespace std::chrono_literals;

// The lead moves the due instant earlier; a lead beyond the clock's range pins the result to
// the clock's end instead of wrapping round.
TEST(ReminderDate, MovesTheDueInstantEarlierByTheLead) {
    const Instant due = at("2024-03-31T01:30:00.250Z"); // across a clock change in Europe
    const std::pair<std::optional<qint64>, Instant::Duration> cases[] = {
        {std::nullopt, 0s}, {0, 0s}, {15, 900s}, {1440, 86400s}, {-5, -300s}};
    for (const auto& [lead, earlier] : cases)
        EXPECT_EQ(reminderDate(due, lead).time, due.time - earlier) << lead.value_or(-1);

    using Limits = std::numeric_limits<Instant::Duration::rep>;
    const qint64 huge = std::numeric_limits<qint64>::max();
    EXPECT_EQ(reminderDate(due, huge).time.time_since_epoch().count(), Limits::min());
    EXPECT_EQ(reminderDate(due, -huge).time.time_since_epoch().count(), Limits::max());
    // Fits as a lead but not once subtracted from a date before the epoch.
    EXPECT_EQ(
        reminderDate(at("1900-01-01T00:00:00Z"), 153'700'000'000LL).time.time_since_epoch().count(),
        Limits::min());
}

// Records every request and answers each with the same identifier; a read-only one fails.
class RecordingCalendar : public CalendarService {
public:
    QCoro::Task<QString> addReminder(ReminderRequest request) override {
        if (readOnly)
            throw std::runtime_error("calendar is read-only");
        added.append(std::move(request));
        co_return QStringLiteral("evt-1");
    }
    QList<ReminderRequest> added;
    bool readOnly = false;
};

// Only a task with both the deadline flag and a date gets a reminder; the task's rule goes with
// it (one that does not parse still leaves the reminder); the calendar's error comes out.
TEST(ReminderScheduler, SchedulesDeadlinesOnly) {
    TaskItem task = makeTask("t1", QStringLiteral("f1"), day(1), at("2024-03-10T09:00:00Z"));
    task.hasDeadline = true;
    task.reminderLead = 30;
    task.body = QStringLiteral("Купить молоко и хлеб");
    task.recurrence = QStringLiteral("FREQ=WEEKLY;BYDAY=MO");
    TaskItem unparsed = task, undated = task, unflagged = task;
    unparsed.recurrence = QStringLiteral("FREQ=X");
    undated.dueDate.reset();
    unflagged.hasDeadline = false;
    auto calendar = std::make_shared<RecordingCalendar>();
    for (const TaskItem& scheduled : {task, unparsed})
        EXPECT_EQ(awaitTask(ReminderScheduler(calendar).scheduleIfNeeded(scheduled)), u"evt-1"_qs);
    for (const TaskItem& skipped : {undated, unflagged})
        EXPECT_EQ(awaitTask(ReminderScheduler(calendar).scheduleIfNeeded(skipped)), std::nullopt);
    ASSERT_EQ(calendar->added.size(), 2);
    EXPECT_EQ(calendar->added[0], (ReminderRequest{.title = task.title,
                                                   .dueDate = *task.dueDate,
                                                   .leadMinutes = 30,
                                                   .recurrence = rule(Freq::weekly, 1, {}, {}, {1}),
                                                   .notes = task.body}));
    EXPECT_EQ(calendar->added[1].recurrence, std::nullopt);
    calendar->readOnly = true;
    EXPECT_THROW(awaitTask(ReminderScheduler(calendar).scheduleIfNeeded(task)), std::runtime_error);
}

// Many ties under both orders: every neighbouring pair must be strictly ordered by key (newest
// first; due first, undated last, whatever the deadline flag says) or, when the keys are equal,
// in input order.
TEST(TaskSort, OrdersByKeyAndKeepsTiesInInputOrder) {
    QRandomGenerator random(7);
    QList<TaskItem> tasks;
    for (int i = 0; i < 500; ++i) {
        const int due = random.bounded(6);
        tasks.append(makeTask(QByteArray::number(i).constData(), {}, day(1 + random.bounded(5)),
                              due == 0 ? std::nullopt : std::optional(day(due))));
        tasks.back().hasDeadline = random.bounded(2);
    }
    using Order = std::function<bool(const TaskItem&, const TaskItem&)>;
    const std::pair<TaskSort, Order> orders[] = {
        {TaskSort::createdDesc, [](auto& a, auto& b) { return a.createdAt > b.createdAt; }},
        {TaskSort::dueAsc,
         [](auto& a, auto& b) { return a.dueDate && (!b.dueDate || *a.dueDate < *b.dueDate); }},
    };
    for (const auto& [sort, precedes] : orders) {
        const auto sorted = sortTasks(tasks, sort);
        ASSERT_EQ(sorted.size(), tasks.size());
        for (qsizetype i = 1; i < sorted.size(); ++i) {
            const auto &a = sorted[i - 1], &b = sorted[i];
            EXPECT_TRUE(precedes(a, b) || (!precedes(b, a) && a.id.toInt() < b.id.toInt()))
                << int(sort) << ' ' << i;
        }
    }
}

// Groups keep the input order; folder ids compare exactly (no case folding, "" is not "no folder").
TEST(TaskSort, GroupsByFolderKeepingInputOrder) {
    const QList<TaskItem> tasks{makeTask("1", QStringLiteral("a")), makeTask("2"),
                                makeTask("3", QStringLiteral("a")),
                                makeTask("4", QStringLiteral("A")), makeTask("5", QString())};
    const auto groups = groupByFolder(tasks);
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(idsOf(groups.at(QStringLiteral("a"))), QStringList({"1", "3"}));
    EXPECT_EQ(idsOf(groups.at(std::nullopt)), QStringList({"2"}));
    EXPECT_EQ(idsOf(groups.at(QString())), QStringList({"5"}));
}

} // namespace
