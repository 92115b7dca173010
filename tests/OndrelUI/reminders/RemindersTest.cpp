#include "OndrelUI/reminders/Occurrences.h"
#include "OndrelUI/reminders/ReminderTexts.h"
#include "reminders/ReminderFixture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <ctime>
#include <variant>

namespace {

// A step of a run: the clock reaching a minute, the service listing other tasks, or a restart.
struct Restart {};
using Step = std::variant<int, QList<TaskItem>, Restart>;

struct PlanningCase {
    const char* name;
    QList<TaskItem> atStart;
    QList<Step> steps;
    QStringList log; // what the notification server was asked, in order
};

TaskItem with(TaskItem task, const std::function<void(TaskItem&)>& change) {
    change(task);
    return task;
}

class ReminderPlanningTest : public ReminderFixture {};

TEST_F(ReminderPlanningTest, FiresEachOccurrenceOnceAndWithdrawsWhatChanged) {
    const TaskItem bread = dueTask(QStringLiteral("a"), QStringLiteral("Хлеб"), 60);
    const TaskItem milk = dueTask(QStringLiteral("b"), QStringLiteral("Молоко"), 120);
    const auto lead = [](TaskItem& task) {
        task.reminderLead = 15;
        task.body = QStringLiteral("белый\nи чёрный");
    };
    const auto daily = [](TaskItem& task) { task.recurrence = QStringLiteral("FREQ=DAILY"); };
    const auto done = [](TaskItem& task) { task.status = TaskStatus::done; };
    const auto noDeadline = [](TaskItem& task) { task.hasDeadline = false; };
    const auto moved = [](TaskItem& task) { task.dueDate = minute(180); };
    const auto pastDue = [](int dueMinute) {
        return [dueMinute](TaskItem& task) { task.dueDate = minute(dueMinute); };
    };

    const PlanningCase cases[] = {
        {"at the deadline, once", {bread}, {59, 60, 120}, {"notify Хлеб | Сегодня в 13:00"}},
        {"a lead moves it earlier; the notes add their first line",
         {with(bread, lead)},
         {44, 45},
         {"notify Хлеб | Сегодня в 13:00\nбелый"}},
        {"a repeating task at each occurrence",
         {with(bread, daily)},
         {60, 61, 1499, 1500},
         {"notify Хлеб | Сегодня в 13:00", "notify Хлеб | Сегодня в 13:00"}},
        {"done: the shown notice is closed and nothing fires again",
         {with(bread, daily)},
         {60, QList<TaskItem>{with(with(bread, daily), done)}, 1500},
         {"notify Хлеб | Сегодня в 13:00", "close Хлеб"}},
        {"deleted or without a deadline before its time: nothing fires",
         {bread, milk},
         {QList<TaskItem>{with(milk, noDeadline)}, 60, 120},
         {}},
        {"a moved deadline fires at its new time only",
         {bread},
         {QList<TaskItem>{with(bread, moved)}, 60, 179, 180},
         {"notify Хлеб | Сегодня в 15:00"}},
        {"several missed while closed: one notice at start, not again after a restart",
         {with(bread, pastDue(-120)), with(milk, pastDue(-30)),
          with(dueTask(QStringLiteral("c"), QStringLiteral("Сыр"), -5), daily),
          dueTask(QStringLiteral("d"), QStringLiteral("Чай"), 60)},
         {Restart{}, 60},
         {"notify Просрочено: 3 задачи | Хлеб\nМолоко\nСыр", "notify Чай | Сегодня в 13:00"}},
        {"one missed: the reminder itself, with its time; quitting closes it",
         {with(bread, pastDue(-90))},
         {Restart{}},
         {"notify Хлеб | Сегодня в 10:30", "close Хлеб"}},
    };
    for (const PlanningCase& row : cases) {
        SCOPED_TRACE(row.name);
        shutDown();
        shown.clear();
        server->log.clear();
        clock.at = minute(0);
        serverTasks = row.atStart;
        launch();
        for (const Step& step : row.steps) {
            if (const int* at = std::get_if<int>(&step))
                advanceTo(*at);
            else if (const auto* tasks = std::get_if<QList<TaskItem>>(&step))
                reload(*tasks);
            else
                launch();
        }
        EXPECT_EQ(server->log, QStringList(row.log.begin(), row.log.end()));
    }
}

TEST_F(ReminderPlanningTest, WithoutANotificationServiceTheWindowShowsTheReminder) {
    server.reset();
    TaskItem bread = dueTask(QStringLiteral("a"), QStringLiteral("Хлеб"), 60);
    bread.body = QStringLiteral("белый\nи чёрный");
    serverTasks = {bread};
    launch();
    advanceTo(60);
    EXPECT_EQ(viewModel.reminderNotice(), QStringLiteral("Хлеб — Сегодня в 13:00 · белый"));
}

// Waking from a suspend, or the wall clock jumping while the monotonic one stands still, plans
// again at once: what came due meanwhile fires without waiting for the timer set before.
TEST_F(ReminderPlanningTest, ResumeAndAClockJumpPlanAgain) {
    serverTasks = {dueTask(QStringLiteral("a"), QStringLiteral("Хлеб"), 60),
                   dueTask(QStringLiteral("b"), QStringLiteral("Молоко"), 120)};
    launch();
    ASSERT_TRUE(serverBus.registerService(QStringLiteral("org.freedesktop.login1")));
    calendar->followSleep(client);
    settle();
    clock.at = minute(60);
    QDBusMessage resumed = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"));
    resumed << false;
    ASSERT_TRUE(serverBus.send(resumed));
    EXPECT_TRUE(waitUntil([&] { return server->log.contains("notify Хлеб | Сегодня в 13:00"); }));

    jumpCheck = std::chrono::milliseconds{20};
    launch();
    clock.at = minute(120);
    EXPECT_TRUE(waitUntil([&] { return server->log.contains("notify Молоко | Сегодня в 14:00"); }))
        << server->log.join(u'|').toStdString();
}

// "Хлеб" is due at 13:00 in folder f1, and the reminder is on the screen.
class ReminderActionsTest : public ReminderFixture {
protected:
    void SetUp() override {
        serverTasks = {dueTask(QStringLiteral("a"), QStringLiteral("Хлеб"), 60)};
        launch();
        advanceTo(60);
        ASSERT_EQ(server->log, QStringList{QStringLiteral("notify Хлеб | Сегодня в 13:00")});
    }
    void click(const QString& action) {
        server->invoke(QStringLiteral("Хлеб"), action);
        settle();
    }
};

TEST_F(ReminderActionsTest, CompleteGoesThroughTheViewModelLikeTheCard) {
    EXPECT_EQ(server->lastHints.value(QStringLiteral("desktop-entry")), QStringLiteral("ondrel"));
    EXPECT_EQ(server->lastHints.value(QStringLiteral("resident")), true);
    EXPECT_EQ(server->lastHints.value(QStringLiteral("urgency")).userType(), QMetaType::UChar);
    EXPECT_EQ(server->lastActions, (QStringList{"complete", "Выполнить", "snooze", "Через 10 минут",
                                                "default", "Открыть"}));
    wait(viewModel.select(QStringLiteral("f1")));
    newRequests();

    click(QStringLiteral("complete"));
    // The notice closes once the planner has read the list again.
    ASSERT_TRUE(waitUntil([&] {
        return viewModel.tasks().value(0).status == TaskStatus::done && server->log.size() == 2;
    }));
    // The planner's own readings of the list may come in between.
    EXPECT_TRUE(newRequests().contains(QStringLiteral("POST /tasks/a/complete")));
    EXPECT_EQ(server->log.value(1), QStringLiteral("close Хлеб"));
    advanceTo(24 * 60);
    EXPECT_EQ(server->log.size(), 2);
}

// A snoozed notice comes back ten minutes later, and completes its task though the window
// shows another folder.
TEST_F(ReminderActionsTest, SnoozeFiresAgainAndCompleteReachesAnotherFolder) {
    click(QStringLiteral("snooze"));
    advanceTo(69);
    EXPECT_EQ(server->log.size(), 2); // the notice, closed
    advanceTo(70);
    EXPECT_EQ(server->log, (QStringList{"notify Хлеб | Сегодня в 13:00", "close Хлеб",
                                        "notify Хлеб | Сегодня в 13:00"}));
    click(QStringLiteral("complete"));
    ASSERT_TRUE(waitUntil([&] { return serverTasks[0].status == TaskStatus::done; }));
    EXPECT_EQ(viewModel.errorText(), std::nullopt);
}

TEST_F(ReminderActionsTest, ClickRaisesTheWindowAndOpensTheEditSheetInItsFolder) {
    wait(viewModel.select(QStringLiteral("f2")));
    QSignalSpy raised(planner.get(), &ReminderPlanner::windowRequested);
    QSignalSpy edit(&viewModel, &AppViewModel::editRequested);
    click(QStringLiteral("default"));
    ASSERT_TRUE(waitUntil([&] { return edit.size() == 1; }));
    EXPECT_EQ(raised.size(), 1);
    EXPECT_EQ(edit[0][0], QStringLiteral("a"));
    EXPECT_EQ(viewModel.selectedFolderId(), QStringLiteral("f1"));
}

Instant utc(const char* text) {
    return *Instant::fromISO8601(text);
}

// Berlin: summer time begins on 2026-03-29 and ends on 2026-10-25.
class ReminderTimesTest : public testing::Test {
protected:
    void SetUp() override {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
};

TEST_F(ReminderTimesTest, OccurrencesKeepTheLocalTimeAndFollowTheRule) {
    struct Case {
        const char* rule;
        const char* start;
        const char* after;
        std::optional<const char*> next;
    };
    const Case cases[] = {
        // 09:00 in Berlin before and after the change of the clocks.
        {"FREQ=DAILY", "2026-03-28T08:00:00Z", "2026-03-28T08:00:00Z", "2026-03-29T07:00:00Z"},
        {"FREQ=DAILY;INTERVAL=3", "2026-03-01T08:00:00Z", "2026-03-02T00:00:00Z",
         "2026-03-04T08:00:00Z"},
        {"FREQ=WEEKLY;BYDAY=MO,FR", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z",
         "2026-03-13T08:00:00Z"},
        {"FREQ=MONTHLY;BYMONTHDAY=-1", "2026-01-31T08:00:00Z", "2026-02-01T00:00:00Z",
         "2026-02-28T08:00:00Z"},
        {"FREQ=MONTHLY", "2026-01-31T08:00:00Z", "2026-02-01T00:00:00Z", "2026-03-31T07:00:00Z"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", "2024-02-29T08:00:00Z", "2024-03-01T00:00:00Z",
         "2028-02-29T08:00:00Z"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=31", "2026-01-01T08:00:00Z", "2026-01-02T00:00:00Z",
         std::nullopt},
        // A step below one from the service repeats daily rather than never or forever.
        {"FREQ=DAILY;INTERVAL=0", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z",
         "2026-03-11T08:00:00Z"},
        // Before the start, the start itself; without a rule nothing after it.
        {"FREQ=DAILY", "2026-03-10T08:00:00Z", "2026-03-01T00:00:00Z", "2026-03-10T08:00:00Z"},
        {"", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z", std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.rule);
        const auto next = nextOccurrence(RecurrenceRule::parse(QString::fromUtf8(row.rule)),
                                         utc(row.start), utc(row.after));
        EXPECT_EQ(next, row.next ? std::optional(utc(*row.next)) : std::nullopt);
    }
}

TEST_F(ReminderTimesTest, TextsSayTheDayAndCountInRussian) {
    const Instant now = utc("2026-03-10T12:00:00Z");
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-10T17:00:00Z"), now),
              QStringLiteral("Сегодня в 18:00"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-11T08:05:00Z"), now),
              QStringLiteral("Завтра в 9:05"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-12T08:00:00Z"), now),
              QStringLiteral("12 марта в 9:00"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2027-01-05T08:00:00Z"), now),
              QStringLiteral("5 января 2027 в 9:00"));
    const std::pair<int, const char*> counts[] = {
        {1, "задача"}, {2, "задачи"},  {4, "задачи"},  {5, "задач"},   {11, "задач"},
        {14, "задач"}, {21, "задача"}, {22, "задачи"}, {112, "задач"}, {101, "задача"},
    };
    for (const auto& [count, word] : counts)
        EXPECT_EQ(ReminderTexts::overdueTitle(count),
                  QStringLiteral("Просрочено: %1 ").arg(count) + QString::fromUtf8(word));
}

} // namespace
