#include "OndrelUI/viewmodels/FolderDeleteForm.h"
#include "OndrelUI/viewmodels/TaskEditForm.h"

#include "OndrelUI/models/TaskFacts.h"
#include "TaskFactory.h"
#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include <QCoroTimer>
#include <QSignalSpy>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>

namespace {

// An action that takes a moment, as the service does.
QCoro::Task<void> aMoment() {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(20);
    co_await timer;
}

const Instant due = Instant::fromMSecsSinceEpoch(1'767'323'400'000); // 2026-01-02 03:10 UTC
const QList<Folder> folders{makeFolder("f1", QStringLiteral("Входящие")),
                            makeFolder("f2", QStringLiteral("Дом"))};

QStringList labels(const ChoiceListModel* choices) {
    QStringList result;
    for (const auto& choice : choices->choices())
        result << choice.label;
    return result;
}

// A form for `task` whose save and delete actions record what they were given.
struct EditFixture {
    explicit EditFixture(const TaskItem& task)
        : form(
              task, folders,
              [this](TaskEdit edit) {
                  saved.append(edit);
                  return aMoment();
              },
              [this] {
                  ++deletes;
                  return aMoment();
              }) {}

    QList<TaskEdit> saved;
    int deletes = 0;
    TaskEditForm form;
};

TaskItem withFolder(TaskItem task, const char* folderId) {
    task.folderId = QString::fromLatin1(folderId);
    return task;
}

TEST(TaskEditForm, Opens_with_the_task_values_by_its_rules) {
    TaskItem cancelled = makeTask("c", TaskStatus::cancelled);
    TaskItem undated = withFolder(makeTask("u", TaskStatus::postponed), "f2");
    undated.hasDeadline = true;
    TaskItem dated = withFolder(makeTask("d", TaskStatus::done), "f1");
    dated.hasDeadline = true;
    dated.dueDate = due;
    dated.priority = Priority::high;
    const struct {
        TaskItem task;
        int statusIndex;
        const char* statusLabel;
        QStringList folderLabels;
        int folderIndex;
        bool hasDeadline;
        QDate shownDate;
    } cases[] = {
        // An inbox task opens filed as open; "Без папки" only for a task without a folder.
        {withFolder(makeTask("i", TaskStatus::inbox), "f1"),
         0,
         "Открыта",
         {" Входящие", " Дом"},
         0,
         false,
         QDate::currentDate()},
        // A cancelled task keeps a status the picker does not offer.
        {cancelled,
         -1,
         "Отменена",
         {"Без папки", " Входящие", " Дом"},
         0,
         false,
         QDate::currentDate()},
        // A deadline without a date opens switched off, proposing today.
        {undated, 3, "Отложена", {" Входящие", " Дом"}, 1, false, QDate::currentDate()},
        {dated,
         2,
         "Выполнена",
         {" Входящие", " Дом"},
         0,
         true,
         due.toQDateTime().toLocalTime().date()},
    };
    for (const auto& c : cases) {
        EditFixture fixture(c.task);
        const TaskEditForm& form = fixture.form;
        SCOPED_TRACE(c.task.id.toStdString());
        EXPECT_EQ(labels(form.statusChoices()),
                  (QStringList{"Открыта", "В работе", "Выполнена", "Отложена"}));
        EXPECT_EQ(labels(form.priorityChoices()),
                  (QStringList{"Без приоритета", "Низкий", "Средний", "Высокий"}));
        EXPECT_EQ(form.statusIndex(), c.statusIndex);
        EXPECT_EQ(form.statusLabel(), QString::fromUtf8(c.statusLabel));
        EXPECT_EQ(labels(form.folderChoices()), c.folderLabels);
        EXPECT_EQ(form.folderIndex(), c.folderIndex);
        EXPECT_EQ(form.priorityIndex(), int(c.task.priority));
        EXPECT_EQ(form.hasDeadline(), c.hasDeadline);
        EXPECT_EQ(QDate(form.dueYear(), form.dueMonth() + 1, form.dueDay()), c.shownDate);
        EXPECT_EQ(form.dueText(),
                  TaskFacts::abbreviatedDate(Instant::fromQDateTime(c.shownDate.startOfDay()),
                                             QTimeZone::systemTimeZone()));
    }
}

TEST(TaskEditForm,
     Sends_the_title_as_typed_the_trimmed_description_and_a_date_only_with_a_deadline) {
    TaskItem base = withFolder(makeTask("a"), "f1");
    base.body = QStringLiteral("старое");
    base.hasDeadline = true;
    base.dueDate = due;
    const TaskEdit unchanged{.title = QStringLiteral("Задача a"),
                             .body = QStringLiteral("старое"),
                             .status = TaskStatus::todo,
                             .priority = Priority::none,
                             .folderId = QStringLiteral("f1"),
                             .dueDate = due,
                             .hasDeadline = true};
    const auto expect = [&](auto change) {
        TaskEdit edit = unchanged;
        change(edit);
        return edit;
    };
    const QDateTime dueLocal = due.toQDateTime().toLocalTime();
    const struct {
        const char* name;
        TaskItem task;
        std::function<void(TaskEditForm&)> edit;
        TaskEdit sent;
    } cases[] = {
        {"untouched", base, [](TaskEditForm&) {}, unchanged},
        {"spaces kept in the title, trimmed off the description", base,
         [](TaskEditForm& form) {
             form.setTitle(QStringLiteral("  чай  "));
             form.setBodyText(QStringLiteral(" \n купить \n\n"));
         },
         expect([](TaskEdit& e) {
             e.title = QStringLiteral("  чай  ");
             e.body = QStringLiteral("купить");
         })},
        {"a cleared description is sent empty", base,
         [](TaskEditForm& form) { form.setBodyText(QString()); },
         expect([](TaskEdit& e) { e.body = QString(); })},
        {"no date once the switch is off", base,
         [](TaskEditForm& form) { form.setHasDeadline(false); }, expect([](TaskEdit& e) {
             e.dueDate.reset();
             e.hasDeadline = false;
         })},
        {"a picked day keeps the time of day", base,
         [](TaskEditForm& form) {
             form.pickDueDate(2026, 4, 20);
             form.shiftDueDate(1);
             form.shiftDueMonths(-1);
         },
         expect([&](TaskEdit& e) {
             e.dueDate = Instant::fromQDateTime(QDateTime(QDate(2026, 4, 21), dueLocal.time()));
         })},
        {"statuses, priorities and folders by their rows", base,
         [](TaskEditForm& form) {
             form.setStatusIndex(1);
             form.setPriorityIndex(3);
             form.setFolderIndex(1);
         },
         expect([](TaskEdit& e) {
             e.status = TaskStatus::inProgress;
             e.priority = Priority::high;
             e.folderId = QStringLiteral("f2");
         })},
        {"a cancelled task stays cancelled", withFolder(makeTask("a", TaskStatus::cancelled), "f1"),
         [](TaskEditForm&) {}, expect([](TaskEdit& e) {
             e.body = QString();
             e.status = TaskStatus::cancelled;
             e.dueDate.reset();
             e.hasDeadline = false;
         })},
        {"\"Без папки\" sends no folder", makeTask("a"),
         [](TaskEditForm& form) {
             form.setFolderIndex(2);
             form.setFolderIndex(0);
         },
         expect([](TaskEdit& e) {
             e.body = QString();
             e.folderId.reset();
             e.dueDate.reset();
             e.hasDeadline = false;
         })},
    };
    for (const auto& c : cases) {
        EditFixture fixture(c.task);
        c.edit(fixture.form);
        awaitTask(fixture.form.saveEdits());
        ASSERT_EQ(fixture.saved.size(), 1) << c.name;
        const TaskEdit& sent = fixture.saved.first();
        EXPECT_EQ(sent.title, c.sent.title) << c.name;
        EXPECT_EQ(sent.body, c.sent.body) << c.name;
        EXPECT_EQ(sent.status, c.sent.status) << c.name;
        EXPECT_EQ(sent.priority, c.sent.priority) << c.name;
        EXPECT_EQ(sent.folderId, c.sent.folderId) << c.name;
        EXPECT_EQ(sent.dueDate, c.sent.dueDate) << c.name;
        EXPECT_EQ(sent.hasDeadline, c.sent.hasDeadline) << c.name;
    }
}

TEST(TaskEditForm, Saves_once_at_a_time_only_a_title_that_is_not_blank) {
    EditFixture fixture(makeTask("a"));
    TaskEditForm& form = fixture.form;
    const struct {
        const char* title;
        bool canSave;
    } titles[] = {{"", false}, {" \t ", false}, {"\n", true}, {" a", true}};
    for (const auto& t : titles) {
        form.setTitle(QString::fromUtf8(t.title));
        EXPECT_EQ(form.canSave(), t.canSave) << t.title;
    }
    form.setTitle(QString());
    awaitTask(form.saveEdits());
    EXPECT_TRUE(fixture.saved.isEmpty());

    QSignalSpy finished(&form, &TaskEditForm::finished);
    form.setTitle(QStringLiteral("чай"));
    QCoro::Task<void> saving = form.saveEdits();
    EXPECT_TRUE(form.saving());
    EXPECT_FALSE(form.canSave());
    awaitTask(form.saveEdits());
    awaitTask(form.removeTask());
    EXPECT_EQ(finished.size(), 0);
    awaitTask(std::move(saving));
    EXPECT_EQ(fixture.saved.size(), 1);
    EXPECT_EQ(fixture.deletes, 0);
    EXPECT_FALSE(form.saving());
    EXPECT_EQ(finished.size(), 1);

    awaitTask(form.removeTask());
    EXPECT_EQ(fixture.deletes, 1);
    EXPECT_EQ(finished.size(), 2);
}

TEST(FolderDeleteForm, Confirms_the_mode_with_the_remembered_target_once) {
    QList<std::pair<bool, std::optional<QString>>> calls;
    const auto record = [&](bool deleteTasks, std::optional<QString> moveTo) {
        calls.append({deleteTasks, moveTo});
        return aMoment();
    };
    const Folder home = makeFolder("f2", QStringLiteral("Дом"));

    FolderDeleteForm alone(home, {}, record);
    EXPECT_EQ(alone.targetIndex(), -1);
    awaitTask(alone.confirmDeletion());
    EXPECT_EQ(calls.takeFirst(), std::pair(false, std::optional<QString>()));

    Folder work = makeFolder("f3", QStringLiteral("Работа"));
    work.emoji = QString::fromUtf8("💼");
    FolderDeleteForm form(home, {folders[0], work}, record);
    QSignalSpy finished(&form, &FolderDeleteForm::finished);
    EXPECT_EQ(labels(form.targets()), (QStringList{" Входящие", "💼 Работа"}));
    EXPECT_EQ(form.folderName(), QStringLiteral("Дом"));
    EXPECT_EQ(form.mode(), FolderDeleteForm::Mode::move);
    EXPECT_EQ(form.targetId(), QStringLiteral("f1"));
    form.setTargetIndex(1);
    form.setDeletesTasks(true);
    form.setDeletesTasks(false);
    EXPECT_EQ(form.targetId(), QStringLiteral("f3"));

    form.setDeletesTasks(true);
    QCoro::Task<void> deleting = form.confirmDeletion();
    EXPECT_TRUE(form.working());
    awaitTask(form.confirmDeletion());
    awaitTask(std::move(deleting));
    EXPECT_EQ(calls, (QList<std::pair<bool, std::optional<QString>>>{{true, std::nullopt}}));
    EXPECT_TRUE(form.working()); // the opener closes the sheet
    EXPECT_EQ(finished.size(), 1);
}

} // namespace
