#include "reminders/ReminderFixture.h"

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

} // namespace
