#include "OndrelUI/models/TaskListModel.h"
#include "support/QtPrinters.h"

#include "ModelSignalLog.h"
#include "TaskFactory.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

const QString header = QString::fromLatin1(TaskListModel::headerRowId);

// The rows the screen must show for `tasks`, by row id.
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
    TaskListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    ModelSignalLog log{&model};

    void load(QList<TaskItem> tasks) {
        model.setTasks(std::move(tasks));
        log.clear();
    }
    void expectConsistent() {
        EXPECT_EQ(shownRows(model), expectedRows(model.tasks()));
        for (int row = 0; row < model.rowCount(); ++row) {
            if (const TaskItem* task = model.taskAtRow(row)) {
                EXPECT_EQ(model.rowOfTask(model.indexOfTask(task->id)), row);
            }
        }
    }
};

TEST_F(TaskListModelTest, Rows_are_active_then_header_then_done) {
    model.setTasks({makeTask("a"), makeTask("b")});
    EXPECT_EQ(shownRows(model), (QStringList{"a", "b"})); // no closed task, no header
    model.setTasks({makeTask("a", TaskStatus::done)});
    EXPECT_EQ(shownRows(model), (QStringList{header, "a"}));
    model.setTasks({makeTask("a"), makeTask("b", TaskStatus::done), makeTask("c"),
                    makeTask("d", TaskStatus::cancelled)});
    EXPECT_EQ(shownRows(model), (QStringList{"a", "c", header, "b", "d"}));
    EXPECT_TRUE(model.index(2).data(TaskListModel::IsHeaderRole).toBool());
    // The header reads as an empty task, for a recycled card that is about to become it.
    EXPECT_EQ(model.index(2).data(TaskListModel::TitleRole), QVariant(QString()));
    EXPECT_EQ(model.index(2).data(TaskListModel::TagsRole), QVariant(QStringList()));
    EXPECT_TRUE(model.index(3).data(TaskListModel::IsDoneRole).toBool());
    EXPECT_FALSE(model.index(4).data(TaskListModel::IsDoneRole).toBool()); // cancelled
    EXPECT_TRUE(model.index(4).data(TaskListModel::IsClosedRole).toBool());
}

TEST_F(TaskListModelTest, Change_within_group_is_one_data_change) {
    load({makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done)});
    TaskItem changed = model.tasks()[1];
    changed.title = QStringLiteral("новое");
    ASSERT_TRUE(model.replaceTask(1, changed));
    EXPECT_EQ(log.structural(), 0);
    ASSERT_EQ(log.dataChanges.size(), 1);
    EXPECT_EQ(log.dataChanges[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(model.index(1).data(TaskListModel::TitleRole).toString(), QStringLiteral("новое"));
    EXPECT_FALSE(model.replaceTask(1, changed));
    EXPECT_EQ(log.dataChanges.size(), 1);
}

TEST_F(TaskListModelTest, Crossing_groups_is_a_move_when_the_header_stays) {
    load({makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done),
          makeTask("d", TaskStatus::done)});
    ASSERT_TRUE(model.replaceTask(1, makeTask("b", TaskStatus::done)));
    EXPECT_EQ(shownRows(model), (QStringList{"a", header, "b", "c", "d"}));
    EXPECT_EQ(log.moves.size(), 1);
    EXPECT_EQ(log.resets.size() + log.inserts.size() + log.removals.size(), 0);

    log.clear();
    ASSERT_TRUE(model.replaceTask(3, makeTask("d", TaskStatus::todo)));
    EXPECT_EQ(shownRows(model), (QStringList{"a", "d", header, "b", "c"}));
    EXPECT_EQ(log.moves.size(), 1);
    EXPECT_EQ(log.resets.size(), 0);
}

TEST_F(TaskListModelTest, First_closed_task_brings_the_header_and_last_takes_it) {
    load({makeTask("a"), makeTask("b")});
    ASSERT_TRUE(model.replaceTask(0, makeTask("a", TaskStatus::done)));
    EXPECT_EQ(shownRows(model), (QStringList{"b", header, "a"}));
    EXPECT_EQ(log.resets.size(), 0);

    ASSERT_TRUE(model.replaceTask(0, makeTask("a", TaskStatus::todo)));
    EXPECT_EQ(shownRows(model), (QStringList{"a", "b"}));
    EXPECT_EQ(log.resets.size(), 0);
}

TEST_F(TaskListModelTest, Insert_and_remove_touch_one_row_or_the_header_pair) {
    load({makeTask("a"), makeTask("b", TaskStatus::done)});
    model.removeTask(1);
    EXPECT_EQ(shownRows(model), (QStringList{"a"}));
    model.insertTask(0, makeTask("z", TaskStatus::done));
    EXPECT_EQ(shownRows(model), (QStringList{"a", header, "z"}));
    model.insertTask(2, makeTask("y"));
    EXPECT_EQ(shownRows(model), (QStringList{"a", "y", header, "z"}));
    EXPECT_EQ(log.resets.size(), 0);
    EXPECT_EQ(model.tasks()[0].id, QStringLiteral("z"));
    expectConsistent();
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
        const int choice = size == 0 ? 1 : random.bounded(4);
        if (choice == 0) {
            const int at = random.bounded(size);
            TaskItem task = model.tasks()[at];
            task.status = anyStatus();
            model.replaceTask(at, task);
        } else if (choice == 1) {
            model.insertTask(random.bounded(size + 1),
                             makeTask(QString::number(next++), anyStatus()));
        } else if (choice == 2) {
            model.removeTask(random.bounded(size));
        } else {
            TaskItem task = model.tasks()[random.bounded(size)];
            task.title += u'!';
            model.replaceTask(model.indexOfTask(task.id), task);
        }
        ASSERT_EQ(shownRows(model), expectedRows(model.tasks())) << "step " << step;
    }
    EXPECT_EQ(log.resets.size(), 0);
    expectConsistent();
}

TEST_F(TaskListModelTest, Roles_show_what_the_card_needs) {
    TaskItem task = makeTask("a");
    task.body = QStringLiteral("  первая строка\nвторая  ");
    task.priority = Priority::high;
    task.hasDeadline = true;
    task.dueDate = Instant::fromMSecsSinceEpoch(1'000);
    task.recurrence = QStringLiteral("FREQ=DAILY");
    task.tags = {QStringLiteral("дом"), QStringLiteral("срочно")};
    task.checklist =
        QList<ChecklistItem>{{"c1", "x", true}, {"c2", "y", false}, {"c3", "z", false}};
    model.setTasks({task});
    const QModelIndex row = model.index(0);
    EXPECT_EQ(row.data(TaskListModel::DescriptionPreviewRole).toString(),
              QStringLiteral("первая строка вторая"));
    EXPECT_EQ(row.data(TaskListModel::PriorityRole).toString(), QStringLiteral("HIGH"));
    EXPECT_EQ(row.data(TaskListModel::StatusRole).toString(), QStringLiteral("TODO"));
    EXPECT_TRUE(row.data(TaskListModel::IsOverdueRole).toBool());
    EXPECT_TRUE(row.data(TaskListModel::HasRecurrenceRole).toBool());
    EXPECT_EQ(row.data(TaskListModel::ChecklistDoneRole).toInt(), 1);
    EXPECT_EQ(row.data(TaskListModel::ChecklistTotalRole).toInt(), 3);
    EXPECT_EQ(row.data(TaskListModel::TagsRole).toStringList(), task.tags);
    EXPECT_FALSE(row.data(TaskListModel::CompletedAtRole).isValid());
    EXPECT_FALSE(row.data(TaskListModel::DueTextRole).toString().isEmpty());
    EXPECT_FALSE(row.data(TaskListModel::ShowsNoDeadlineRole).toBool());
    EXPECT_EQ(row.data(TaskListModel::ChecklistTextRole).toString(), QStringLiteral("1/3"));
    EXPECT_EQ(row.data(TaskListModel::CompletedTextRole).toString(), QString());

    task.status = TaskStatus::done; // a finished task is never overdue
    task.body = QStringLiteral(" \n ");
    model.replaceTask(0, task);
    const QModelIndex doneRow = model.index(model.rowOfTask(0));
    EXPECT_FALSE(doneRow.data(TaskListModel::IsOverdueRole).toBool());
    EXPECT_FALSE(doneRow.data(TaskListModel::DescriptionPreviewRole).isValid());
    task.completedAt = Instant::fromMSecsSinceEpoch(2'000);
    model.replaceTask(0, task);
    EXPECT_FALSE(doneRow.data(TaskListModel::CompletedTextRole).toString().isEmpty());
}

} // namespace
