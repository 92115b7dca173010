#include "OndrelUI/models/TaskListModel.h"
#include "support/QtPrinters.h"

#include "ModelSignalLog.h"
#include "TaskFactory.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

const QString header = QString::fromLatin1(TaskListModel::headerRowId);

// The rows the screen must show for `tasks`, by row id: open tasks, then the header and the
// closed ones, if any.
QStringList expectedRows(const QList<TaskItem>& tasks) {
    QStringList active;
    QStringList done;
    for (const TaskItem& task : tasks)
        (isClosed(task.status) ? done : active).append(task.id);
    if (!done.isEmpty())
        active << header << done;
    return active;
}

QStringList shownRows(const TaskListModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row).data(TaskListModel::RowIdRole).toString();
    return rows;
}

class TaskListModelTest : public testing::Test {
protected:
    void load(QList<TaskItem> tasks) {
        model.setTasks(std::move(tasks));
        log.clear();
    }

    TaskListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    ModelSignalLog log{&model};
};

TEST_F(TaskListModelTest, Rows_show_what_the_card_needs) {
    TaskItem task = makeTask("a");
    task.body = QStringLiteral("  первая строка\nвторая  ");
    task.priority = Priority::high;
    task.recurrence = QStringLiteral("FREQ=DAILY");
    task.checklist = QList<ChecklistItem>{{"c1", "x", true}, {"c2", "y", false}};
    load({task, makeTask("b", TaskStatus::done), makeTask("d", TaskStatus::cancelled)});
    EXPECT_EQ(shownRows(model), (QStringList{"a", header, "b", "d"}));
    const QModelIndex row = model.index(0);
    EXPECT_EQ(row.data(TaskListModel::DescriptionPreviewRole).toString(),
              QStringLiteral("первая строка вторая"));
    EXPECT_EQ(row.data(TaskListModel::PriorityRole).toString(), QStringLiteral("HIGH"));
    EXPECT_TRUE(row.data(TaskListModel::HasRecurrenceRole).toBool());
    EXPECT_EQ(row.data(TaskListModel::ChecklistDoneRole).toInt(), 1);
    EXPECT_EQ(row.data(TaskListModel::ChecklistTotalRole).toInt(), 2);
    // The header reads as an empty task, for a recycled card that is about to become it.
    EXPECT_EQ(model.index(1).data(TaskListModel::TitleRole), QVariant(QString()));
    EXPECT_EQ(model.index(1).data(TaskListModel::TagsRole), QVariant(QStringList()));
    EXPECT_TRUE(model.index(2).data(TaskListModel::IsDoneRole).toBool());
    EXPECT_FALSE(model.index(3).data(TaskListModel::IsDoneRole).toBool()); // cancelled
    EXPECT_TRUE(model.index(3).data(TaskListModel::IsClosedRole).toBool());
    task.body = QStringLiteral(" \n ");
    model.replaceTask(0, task);
    EXPECT_FALSE(model.index(0).data(TaskListModel::DescriptionPreviewRole).isValid());
}

// A change within a group is one row's data change; no change, no signal.
TEST_F(TaskListModelTest, A_change_within_a_group_touches_one_row) {
    load({makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done)});
    TaskItem changed = model.tasks()[1];
    changed.title = QStringLiteral("новое");
    ASSERT_TRUE(model.replaceTask(1, changed));
    EXPECT_FALSE(model.replaceTask(1, changed));
    EXPECT_EQ(log.structural(), 0);
    ASSERT_EQ(log.dataChanges.size(), 1);
    EXPECT_EQ(log.dataChanges[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(model.index(1).data(TaskListModel::TitleRole).toString(), QStringLiteral("новое"));
}

TEST_F(TaskListModelTest, Random_edits_keep_rows_in_step_with_tasks) {
    QRandomGenerator random(20261206);
    const std::array statuses = {TaskStatus::inbox, TaskStatus::todo, TaskStatus::done,
                                 TaskStatus::cancelled};
    const auto anyStatus = [&] { return statuses[random.bounded(int(statuses.size()))]; };
    QList<TaskItem> tasks;
    for (int i = 0; i < 12; ++i)
        tasks.append(makeTask(QString::number(i), anyStatus()));
    load(tasks);
    int next = 100;
    for (int step = 0; step < 600; ++step) {
        const int size = int(model.tasks().size());
        const int choice = size == 0 ? 1 : random.bounded(3);
        if (choice == 0) {
            const int at = random.bounded(size);
            TaskItem task = model.tasks()[at];
            task.status = anyStatus(); // at times within its group
            task.title += u'!';
            model.replaceTask(at, task);
        } else if (choice == 1) {
            model.insertTask(random.bounded(size + 1),
                             makeTask(QString::number(next++), anyStatus()));
        } else {
            model.removeTask(random.bounded(size));
        }
        ASSERT_EQ(shownRows(model), expectedRows(model.tasks())) << "step " << step;
    }
    EXPECT_EQ(log.resets.size(), 0);
    for (int row = 0; row < model.rowCount(); ++row) {
        if (const TaskItem* task = model.taskAtRow(row)) {
            EXPECT_EQ(model.rowOfTask(model.indexOfTask(task->id)), row);
        }
    }
}

} // namespace
