#include "ModelSignalLog.h"
#include "OndrelUI/models/FolderListModel.h"
#include "OndrelUI/models/TaskFacts.h"
#include "OndrelUI/models/TaskListModel.h"
#include "OndrelUI/models/TaskMatcher.h"
#include "TaskFactory.h"
#include "support/QtPrinters.h"

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

// A selection change touches the row that loses it and the one that gains it, nothing else.
TEST(FolderListModel, Selection_change_touches_only_the_two_rows) {
    FolderListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Folder work = makeFolder("f2", QStringLiteral("Работа"));
    work.emoji = QString::fromUtf8("💼");
    model.setFolders({makeFolder("f1", QStringLiteral("Входящие")), work,
                      makeFolder("f3", QStringLiteral("Дом"))});
    ModelSignalLog log(&model);
    EXPECT_EQ(model.index(1).data(FolderListModel::LabelRole).toString(),
              QString::fromUtf8("💼 Работа"));

    model.setSelectedId(QStringLiteral("f1"));
    model.setSelectedId(QStringLiteral("f3"));
    ASSERT_EQ(log.dataChanges.size(), 3); // f1 gains; f1 loses, f3 gains
    EXPECT_EQ(log.dataChanges[2][0].toModelIndex().row(), 2);
    EXPECT_FALSE(model.index(0).data(FolderListModel::IsSelectedRole).toBool());
    EXPECT_TRUE(model.index(2).data(FolderListModel::IsSelectedRole).toBool());

    model.setSelectedId(QStringLiteral("f3"));
    model.setSelectedId(QStringLiteral("gone")); // not in the list: only f3 loses it
    EXPECT_EQ(log.dataChanges.size(), 4);
    EXPECT_EQ(model.selectedRow(), -1);
    EXPECT_FALSE(model.setFolders(model.folders()));
    EXPECT_EQ(log.structural(), 0);
    model.setFolders({makeFolder("gone", QStringLiteral("Снова здесь"))});
    EXPECT_EQ(model.selectedRow(), 0);
}

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

// What a search finds: every word somewhere in the title, description or tags, whatever the
// case and whichever of "ё" and "е" is typed or stored.
TEST(TaskMatcher, Every_word_is_found_in_title_description_or_tags_ignoring_case_and_yo) {
    TaskItem task = makeTask(QStringLiteral("t1"));
    task.title = QStringLiteral("Купить ЁЛКУ");
    task.body = QStringLiteral("Зелёную, до Нового года");
    task.tags = {QStringLiteral("Дом"), QStringLiteral("праздник")};
    const struct {
        const char* query;
        bool matches;
        const char* titleMarked;
    } cases[] = {
        {"", true, "Купить ЁЛКУ"},
        {"елку", true, "Купить <b><u>ЁЛКУ</u></b>"},
        {"КУП", true, "<b><u>Куп</u></b>ить ЁЛКУ"},
        {"зеленую", true, "Купить ЁЛКУ"}, // the description, "ё" stored
        {"#дом", true, "Купить ЁЛКУ"},    // a tag as the card shows it
        {"праздник ёлку", true, "Купить <b><u>ЁЛКУ</u></b>"},
        {"ёлку торт", false, "Купить <b><u>ЁЛКУ</u></b>"}, // every word must be found
        {"купитьелку", false, "Купить ЁЛКУ"},
        {"года\nдом", true, "Купить ЁЛКУ"},
        {"<b>", false, "Купить ЁЛКУ"},
    };
    for (const auto& c : cases) {
        const TaskMatcher matcher(QString::fromUtf8(c.query));
        EXPECT_EQ(matcher.matches(task), c.matches) << c.query;
        EXPECT_EQ(matcher.matchesFolded(TaskMatcher::searchText(task)), c.matches) << c.query;
        EXPECT_EQ(matcher.marked(task.title), QString::fromUtf8(c.titleMarked)) << c.query;
    }
    EXPECT_EQ(TaskMatcher(QStringLiteral("b")).marked(QStringLiteral("a<b>")),
              QStringLiteral("a&lt;<b><u>b</u></b>&gt;"));
}

// The card as one line for a screen reader.
TEST(TaskMatcher, Spoken_card_names_title_state_deadline_and_priority) {
    const QTimeZone moscow("Europe/Moscow");
    const Instant december1 = Instant::fromMSecsSinceEpoch(1'764'583'200'000); // 2025-12-01
    TaskItem task = makeTask(QStringLiteral("t1"));
    task.title = QStringLiteral("Купить молоко");
    task.priority = Priority::high;
    task.hasDeadline = true;
    task.dueDate = Instant::fromMSecsSinceEpoch(1'765'183'200'000);
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, december1),
              QStringLiteral("Купить молоко, не выполнена, срок 8 декабря, высокий приоритет"));
    task.status = TaskStatus::done;
    task.priority = Priority::none;
    task.checklist = QList<ChecklistItem>{{"c1", "Молоко", true}, {"c2", "Хлеб", false}};
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, Instant::fromMSecsSinceEpoch(1'800'000'000'000)),
              QStringLiteral("Купить молоко, выполнена, срок 8 декабря 2025 г., пунктов "
                             "выполнено 1 из 2"));
    task.status = TaskStatus::todo;
    task.hasDeadline = false;
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, december1),
              QStringLiteral("Купить молоко, не выполнена, без срока, пунктов выполнено 1 из 2"));
}

} // namespace
