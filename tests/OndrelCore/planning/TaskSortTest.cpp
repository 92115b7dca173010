#include "OndrelCore/planning/TaskSort.h"

#include "Records.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

TaskItem withDeadlineFlag(TaskItem task, bool flag) {
    task.hasDeadline = flag;
    return task;
}

// Newest first, or by due date with undated last; ties keep the input order, which is untouched.
TEST(TaskSort, ordersAsDocumented) {
    const struct {
        QList<TaskItem> input;
        TaskSort sort;
        QStringList expected;
    } cases[] = {
        {{}, TaskSort::dueAsc, {}},
        {{makeTask("a", {}, day(2)), makeTask("b", {}, day(5)), makeTask("c", {}, day(2)),
          makeTask("d", {}, day(2))},
         TaskSort::createdDesc,
         {"b", "a", "c", "d"}},
        {{makeTask("n1"), makeTask("d2", {}, day(1), day(20)), makeTask("n2"),
          makeTask("d1", {}, day(1), day(5)), makeTask("n3")},
         TaskSort::dueAsc,
         {"d1", "d2", "n1", "n2", "n3"}},
        {{makeTask("x", {}, day(9), day(4)), makeTask("y", {}, day(1), day(4)),
          makeTask("z", {}, day(5), day(4))},
         TaskSort::dueAsc,
         {"x", "y", "z"}},
        {{withDeadlineFlag(makeTask("late", {}, day(1), day(9)), true),
          withDeadlineFlag(makeTask("early", {}, day(1), day(2)), false)},
         TaskSort::dueAsc,
         {"early", "late"}},
    };
    for (const auto& c : cases) {
        const QList<TaskItem> before = c.input;
        EXPECT_EQ(idsOf(sortTasks(c.input, c.sort)), c.expected);
        EXPECT_EQ(c.input, before);
    }
}

// Many ties under both orders: every neighbouring pair must be strictly ordered by key or,
// when the keys are equal, in input order.
TEST(TaskSort, staysStableOverManyTies) {
    QRandomGenerator random(7);
    QList<TaskItem> tasks;
    for (int i = 0; i < 500; ++i) {
        const int due = random.bounded(6);
        tasks.append(makeTask(QByteArray::number(i).constData(), {}, day(1 + random.bounded(5)),
                              due == 0 ? std::nullopt : std::optional(day(due))));
    }
    const auto position = [&](const TaskItem& task) { return task.id.toInt(); };

    const auto newest = sortTasks(tasks, TaskSort::createdDesc);
    ASSERT_EQ(newest.size(), tasks.size());
    for (qsizetype i = 1; i < newest.size(); ++i) {
        const auto &a = newest[i - 1], &b = newest[i];
        EXPECT_TRUE(a.createdAt > b.createdAt ||
                    (a.createdAt == b.createdAt && position(a) < position(b)))
            << i;
    }

    const auto byDue = sortTasks(tasks, TaskSort::dueAsc);
    ASSERT_EQ(byDue.size(), tasks.size());
    for (qsizetype i = 1; i < byDue.size(); ++i) {
        const auto &a = byDue[i - 1], &b = byDue[i];
        const bool ordered = a.dueDate && (!b.dueDate || *a.dueDate < *b.dueDate);
        EXPECT_TRUE(ordered || (a.dueDate == b.dueDate && position(a) < position(b))) << i;
    }
}

// Groups keep the input order; folder ids compare exactly (no case folding, "" is not "no folder").
TEST(TaskSort, groupsByFolderKeepingInputOrder) {
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
