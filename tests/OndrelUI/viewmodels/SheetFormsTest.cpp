#include "OndrelUI/viewmodels/FolderDeleteForm.h"
#include "OndrelUI/viewmodels/TaskEditForm.h"

#include "TaskFactory.h"
#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include <QCoroTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const Instant due = Instant::fromMSecsSinceEpoch(1'767'323'400'000); // 2026-01-02 03:10 UTC
const QList<Folder> folders{makeFolder("f1", QStringLiteral("Входящие")),
                            makeFolder("f2", QStringLiteral("Дом"))};

QStringList labels(const ChoiceListModel* choices) {
    QStringList result;
    for (const auto& choice : choices->choices())
        result << choice.label;
    return result;
}

// A form for `task` whose save records what it was given and takes a moment, as the service.
struct EditFixture {
    explicit EditFixture(const TaskItem& task)
        : form(
              task, folders,
              [this](TaskEdit edit) {
                  saved.append(edit);
                  return QCoro::sleepFor(20ms);
              },
              [] { return QCoro::sleepFor(20ms); }) {}

    QList<TaskEdit> saved;
    TaskEditForm form;
};

QDate shownDate(const TaskEditForm& form) {
    return QDate(form.dueYear(), form.dueMonth() + 1, form.dueDay());
}

// A task opens with its own values: a cancelled one keeps a status the picker does not offer,
// and "Без папки" is offered only to a task without a folder. What is saved is the title as
// typed, the description trimmed and always present, and a picked day at the task's time of day.
TEST(TaskEditForm, Opens_with_the_task_values_and_sends_what_the_controls_hold) {
    TaskItem task = makeTask("a", TaskStatus::cancelled);
    task.folderId = QStringLiteral("f1");
    task.priority = Priority::high;
    task.hasDeadline = true;
    task.dueDate = due;
    EditFixture fixture(task);
    TaskEditForm& form = fixture.form;
    EXPECT_EQ(labels(form.statusChoices()),
              (QStringList{"Открыта", "В работе", "Выполнена", "Отложена"}));
    EXPECT_EQ(labels(form.priorityChoices()),
              (QStringList{"Без приоритета", "Низкий", "Средний", "Высокий"}));
    EXPECT_EQ(labels(form.folderChoices()), (QStringList{" Входящие", " Дом"}));
    EXPECT_EQ(form.statusIndex(), -1);
    EXPECT_EQ(form.statusLabel(), QStringLiteral("Отменена"));
    EXPECT_EQ(form.priorityIndex(), 3);
    EXPECT_TRUE(form.hasDeadline());
    EXPECT_EQ(shownDate(form), due.toQDateTime().toLocalTime().date());
    awaitTask(form.saveEdits());

    form.setTitle(QStringLiteral("  чай  "));
    form.setBodyText(QStringLiteral(" \n купить \n\n"));
    form.setStatusIndex(1);
    form.setPriorityIndex(0);
    form.setFolderIndex(1);
    form.pickDueDate(2026, 4, 20);
    form.shiftDueDate(1);
    form.shiftDueMonths(-1);
    awaitTask(form.saveEdits());
    const QTime dueTime = due.toQDateTime().toLocalTime().time();
    EXPECT_EQ(
        fixture.saved,
        (QList<TaskEdit>{{.title = QStringLiteral("Задача a"),
                          .body = QString(),
                          .status = TaskStatus::cancelled,
                          .priority = Priority::high,
                          .folderId = QStringLiteral("f1"),
                          .dueDate = due,
                          .hasDeadline = true},
                         {.title = QStringLiteral("  чай  "),
                          .body = QStringLiteral("купить"),
                          .status = TaskStatus::inProgress,
                          .folderId = QStringLiteral("f2"),
                          .dueDate = Instant::fromQDateTime(QDateTime(QDate(2026, 4, 21), dueTime)),
                          .hasDeadline = true}}));
}

// A deadline without a date opens switched off, proposing today. A title of spaces of any kind
// (plain, no-break, em, ideographic) is not saved; a line break is a title.
TEST(TaskEditForm, A_task_without_folder_or_date_can_stay_so_but_not_without_a_title) {
    TaskItem task = makeTask("b");
    task.hasDeadline = true;
    EditFixture fixture(task);
    TaskEditForm& form = fixture.form;
    EXPECT_EQ(labels(form.folderChoices()).value(0), QStringLiteral("Без папки"));
    EXPECT_FALSE(form.hasDeadline());
    EXPECT_EQ(shownDate(form), QDate::currentDate());
    form.setFolderIndex(2);
    form.setFolderIndex(0);
    awaitTask(form.saveEdits());
    EXPECT_EQ(fixture.saved.value(0).folderId, std::nullopt);
    EXPECT_EQ(fixture.saved.value(0).dueDate, std::nullopt);
    for (const char16_t* blank : {u" \t ", u"\u00a0\u00a0", u"\u2003\u3000"}) {
        form.setTitle(QString::fromUtf16(blank));
        EXPECT_FALSE(form.canSave()) << QString::fromUtf16(blank).toStdString();
        awaitTask(form.saveEdits());
    }
    EXPECT_EQ(fixture.saved.size(), 1);
    form.setTitle(QStringLiteral("\n"));
    EXPECT_TRUE(form.canSave());
}

// The target chosen survives switching to "Удалить все" and back; the deletion runs once.
TEST(FolderDeleteForm, Confirms_the_mode_with_the_remembered_target_once) {
    QList<std::optional<QString>> targets;
    FolderDeleteForm form(makeFolder("f2", QStringLiteral("Дом")),
                          {folders[0], makeFolder("f3", QStringLiteral("Работа"))},
                          [&](bool deleteTasks, std::optional<QString> moveTo) {
                              targets.append(deleteTasks ? std::nullopt : moveTo);
                              return QCoro::sleepFor(20ms);
                          });
    form.setTargetIndex(1);
    form.setDeletesTasks(true);
    form.setDeletesTasks(false);
    QCoro::Task<void> deleting = form.confirmDeletion();
    awaitTask(form.confirmDeletion());
    awaitTask(std::move(deleting));
    EXPECT_EQ(targets, QList<std::optional<QString>>{QStringLiteral("f3")});
}

} // namespace
