#include "ManualTransport.h"
#include "ModelSignalLog.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"
#include "OndrelUI/viewmodels/FailureText.h"
#include "OndrelUI/viewmodels/FolderDeleteForm.h"
#include "OndrelUI/viewmodels/TaskDetailViewModel.h"
#include "OndrelUI/viewmodels/TaskEditForm.h"
#include "PropertyLog.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/AwaitTask.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QAbstractItemModelTester>
#include <QCoroTimer>

#include <gtest/gtest.h>

namespace {

class AppViewModelTest : public ViewModelFixture {
protected:
    // The screen's first load: these folders, then these tasks of the first folder.
    void prime(const QList<Folder>& folders, const QList<TaskItem>& tasks) {
        answer(folders, tasks);
        wait(vm.loadFolders());
        wait(vm.loadTasks());
        newRequests();
    }
    QStringList taskIds() const {
        QStringList ids;
        for (const TaskItem& task : vm.tasks())
            ids << task.id;
        return ids;
    }

    AppViewModel vm{&session};
    QAbstractItemModelTester rowTester{vm.taskRows(),
                                       QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The selection stays while its folder is listed; otherwise the first folder, or none. A failed
// load keeps the lists and names what failed; a later success leaves that line in place.
TEST_F(AppViewModelTest, Loads_keep_a_listed_selection_and_the_lists_when_they_fail) {
    answer(threeFolders, QList<TaskItem>{makeTask("old", TaskStatus::todo, 1),
                                         makeTask("new", TaskStatus::todo, 2)});
    wait(vm.loadFolders());
    wait(vm.select(QStringLiteral("f3")));
    EXPECT_EQ(taskIds(), (QStringList{"new", "old"})); // newest first, unless sorted by deadline
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::ConnectionRefusedError, "Connection refused")));
    wait(vm.loadFolders());
    EXPECT_EQ(vm.errorText(),
              QStringLiteral("Не удалось загрузить папки: нет соединения с сервисом"));
    answerStatus(200, "{\"oops\":1}");
    wait(vm.loadTasks());
    const QString line = vm.errorText().value_or(QString());
    EXPECT_TRUE(line.startsWith(QStringLiteral("Не удалось загрузить задачи: ")))
        << line.toStdString();
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f3"));

    answer(QList<Folder>{threeFolders[1]}, QList<Folder>{});
    wait(vm.loadFolders());
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    EXPECT_TRUE(vm.folderModel()->index(0).data(FolderListModel::IsSelectedRole).toBool());
    wait(vm.loadFolders());
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_EQ(vm.errorText(), line);
}

TEST(AppViewModelFailureText, Cuts_long_bodies_by_characters) {
    QString emoji;
    for (int i = 0; i < 141; ++i)
        emoji += QString::fromUtf8("👍🏽");
    const auto http = [](int status, const QString& body) {
        return std::make_exception_ptr(APIError::http(status, body));
    };
    const QString failed = QStringLiteral("Не удалось сохранить задачу: ");
    const std::pair<std::exception_ptr, QString> cases[] = {
        {http(500, QString(300, u'x')), QStringLiteral("Ошибка 500: ") + QString(140, u'x') + u'…'},
        {http(500, QString(140, u'y')), QStringLiteral("Ошибка 500: ") + QString(140, u'y')},
        {http(422, emoji),
         QStringLiteral("Ошибка 422: ") + emoji.left(emoji.size() / 141 * 140) + u'…'},
        {std::make_exception_ptr(APIError::unauthorized()),
         QStringLiteral("Сессия истекла — войди заново")},
        {std::make_exception_ptr(RequestRefusal(RequestRefusal::Reason::unusableId)),
         failed + QStringLiteral("запрос не отправлен — недопустимый идентификатор")},
        {std::make_exception_ptr(42), failed + QStringLiteral("неизвестная ошибка")},
    };
    for (const auto& [error, line] : cases)
        EXPECT_EQ(failureText(error, QStringLiteral("сохранить задачу")), line);
}

// Every status but DONE completes; DONE reopens. The change shows at once, in place, and the
// service's answer replaces it.
TEST_F(AppViewModelTest, Toggle_changes_optimistically_then_adopts_the_answer) {
    for (const TaskStatus from : allCases<TaskStatus>()) {
        SCOPED_TRACE(rawValue(from).toStdString());
        const bool reopens = from == TaskStatus::done;
        const TaskItem task = makeTask("t1", from);
        prime(threeFolders, {makeTask("a"), task, makeTask("z", TaskStatus::done)});
        TaskItem fromService = task;
        fromService.status = reopens ? TaskStatus::todo : TaskStatus::done;
        fromService.title = QStringLiteral("как сохранил сервис");
        answer(fromService);
        transport->setHeld(true);
        const Instant before = Instant::now();
        auto running = vm.toggleDone(task);
        const TaskItem& optimistic = vm.tasks()[1];
        EXPECT_EQ(optimistic.status, fromService.status);
        EXPECT_EQ(optimistic.title, task.title);
        EXPECT_EQ(optimistic.completedAt && *optimistic.completedAt >= before, !reopens);
        EXPECT_EQ(taskIds(), (QStringList{"a", "t1", "z"})); // not re-sorted

        transport->release();
        wait(std::move(running));
        EXPECT_EQ(vm.tasks()[1], fromService);
        EXPECT_EQ(newRequests(),
                  QStringList{reopens ? "PATCH /tasks/t1" : "POST /tasks/t1/complete"});
        EXPECT_EQ(transport->requests().last().body,
                  reopens ? std::optional<QByteArray>(R"({"status":"TODO"})") : std::nullopt);
    }
}

// A failing toggle or delete puts the task back as given, where it was, through row moves,
// removals and inserts, never a reset.
TEST_F(AppViewModelTest, Failed_toggle_and_delete_put_the_task_back) {
    const TaskItem b = makeTask("b");
    prime(threeFolders, {makeTask("a"), b, makeTask("c", TaskStatus::done)});
    ModelSignalLog rows(vm.taskRows());
    answerStatus(500, "nope");
    wait(vm.toggleDone(b));
    EXPECT_EQ(vm.tasks()[1], b);
    EXPECT_EQ(rows.moves.size(), 2); // into the finished group and back
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));

    answerStatus(500, "nope");
    transport->setHeld(true);
    auto running = vm.deleteTask(b);
    EXPECT_EQ(taskIds(), (QStringList{"a", "c"}));
    transport->release();
    wait(std::move(running));
    EXPECT_EQ(taskIds(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(newRequests(), (QStringList{"POST /tasks/b/complete", "DELETE /tasks/b"}));
    EXPECT_EQ(rows.resets.size(), 0);
    EXPECT_EQ(rows.structural(), 4); // two moves, a removal and an insert
}

// The edit sheet's save, reload and body are checked on the screen; here what only a failure
// shows: no reload, and without a deadline no date goes out.
TEST_F(AppViewModelTest, A_failed_update_sends_no_date_without_a_deadline_and_reloads_nothing) {
    prime(threeFolders, {makeTask("t1")});
    answerStatus(500, "nope");
    wait(vm.updateTask("t1", "x", std::nullopt, TaskStatus::todo, Priority::none, std::nullopt,
                       Instant::now(), false));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/t1"});
    EXPECT_EQ(transport->requests().last().body,
              R"({"title":"x","status":"TODO","priority":"NONE","hasDeadline":false})");
    EXPECT_EQ(taskIds(), QStringList{"t1"});
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));
}

// A failed delete only sets the line; once the delete succeeds, the folder is gone from the
// selection even when the reload fails.
TEST_F(AppViewModelTest, Failed_folder_delete_or_reload_never_keeps_the_deleted_folder) {
    prime(threeFolders, {makeTask("a")});
    PropertyLog log(&vm);
    answerStatus(404, "no such folder");
    wait(vm.deleteFolder(threeFolders[0], std::nullopt, true));
    EXPECT_EQ(log.entries, QStringList{"error=Ошибка 404: no such folder"});
    EXPECT_EQ(newRequests().size(), 1);

    answer(threeFolders[0]);
    answerStatus(502, "bad gateway");
    answer(QList<TaskItem>{});
    wait(vm.deleteFolder(threeFolders[0], std::nullopt, true));
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 502: bad gateway"));
}

TEST_F(AppViewModelTest, Send_announces_busy_status_answer_and_error_in_order) {
    prime(threeFolders, {});
    PropertyLog log(&vm);
    answer(applyResult("Создал задачу «купить молоко»"), threeFolders,
           QList<TaskItem>{makeTask("milk")});
    wait(vm.send("  купить молоко завтра \n"));
    EXPECT_EQ(log.entries, (QStringList{"busy=true", "status=AI разбирает…",
                                        "answer=Создал задачу «купить молоко»", "tasks=1",
                                        "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /assistant", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(2), (QJsonObject{{"text", "купить молоко завтра"}}));

    log.entries.clear();
    answerStatus(500, "assistant down");
    wait(vm.send("привет"));
    EXPECT_EQ(log.entries,
              (QStringList{"busy=true", "status=AI разбирает…", "answer=∅",
                           "error=Ошибка 500: assistant down", "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(), QStringList{"POST /assistant"});
}

// A recording goes as base64; while it runs, neither a typed nor another spoken capture starts.
TEST_F(AppViewModelTest, Capture_sends_base64_audio_and_excludes_the_other_captures) {
    prime(threeFolders, {});
    const QByteArray audio("\x00\x01\xfe\xff recording", 15);
    CaptureProcessResponse response;
    response.result = applyResult("Записал");
    answer(response, threeFolders, QList<TaskItem>{});
    transport->setHeld(true);
    auto running = vm.capture(audio);
    EXPECT_EQ(vm.statusText(), QStringLiteral("Распознаю и разбираю…"));
    wait(vm.send("второй"));
    wait(vm.capture("ещё"));
    transport->release();
    wait(std::move(running));
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Записал"));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /captures", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(2), (QJsonObject{{"audioBase64", QString::fromLatin1(audio.toBase64())},
                                    {"mimeType", "audio/m4a"}}));
}

// The offer to send a failed recording again lasts while the error line shows that failure.
TEST_F(AppViewModelTest, A_failed_recording_is_offered_again_until_the_line_moves_on) {
    prime(threeFolders, {});
    CaptureInput& input = *vm.captureInput();
    const auto failCapture = [&] {
        answerStatus(503, "занято");
        wait(vm.capture("запись"));
        return input.canRetryCapture();
    };
    ASSERT_TRUE(failCapture());
    answerStatus(500, "x");
    wait(vm.loadTasks()); // another failure takes the line
    EXPECT_FALSE(input.canRetryCapture());

    ASSERT_TRUE(failCapture());
    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    transport->setHeld(true);
    input.retryCapture(); // the capture withdraws the offer as it starts
    EXPECT_FALSE(input.canRetryCapture());
    transport->release();
    EXPECT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    EXPECT_FALSE(input.canRetryCapture());
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Готово")); // no result, still done
}

// What the screens call: unknown ids, positions off the list, input of only spaces and tabs and
// a retry with nothing to retry do nothing; a line break is input, which the send trims away.
TEST_F(AppViewModelTest, Entry_points_ignore_what_names_nothing) {
    prime(threeFolders, {makeTask("a")});
    PropertyLog log(&vm);
    vm.toggleTask("missing");
    vm.removeTask("missing");
    vm.selectFolderAt(3);
    vm.captureInput()->retryCapture();
    EXPECT_FALSE(vm.captureInput()->submitInput(" \t "));
    EXPECT_FALSE(vm.captureInput()->submitInput(QStringLiteral("\u00a0\u2007")));
    EXPECT_TRUE(vm.captureInput()->submitInput("\n"));
    answer(QList<TaskItem>{makeTask("a")});
    wait(vm.loadTasks());
    EXPECT_EQ(newRequests(), QStringList{"GET /tasks?folderId=f1"});
    EXPECT_TRUE(log.entries.isEmpty());
}

// History and detail open on the session's client of the moment, with the current token.
TEST_F(AppViewModelTest, History_and_detail_call_with_the_current_token) {
    prime(threeFolders, {makeTask("a")});
    EXPECT_EQ(vm.openTaskDetail("gone"), nullptr);
    session.set(QStringLiteral("access-2"), QStringLiteral("refresh-2"));
    const std::unique_ptr<CaptureHistoryViewModel> history(vm.openHistory());
    const std::unique_ptr<TaskDetailViewModel> detail(vm.openTaskDetail("a"));
    answer(QList<Capture>{}, makeTask("a"));
    wait(history->load());
    wait(detail->save(std::nullopt, TaskStatus::done, std::nullopt));
    EXPECT_EQ(newRequests(), (QStringList{"GET /captures", "PATCH /tasks/a"}));
    for (const HTTPRequest& request : transport->requests().mid(transport->requests().size() - 2))
        EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer access-2"));
}

TEST_F(AppViewModelTest, Actions_outliving_the_view_model_leave_it_alone) {
    auto doomed = std::make_unique<AppViewModel>(&session);
    answer(threeFolders, QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(doomed->loadFolders());
    wait(doomed->loadTasks());

    answer(applyResult("ответ")); // send: success, would reload
    answerStatus(500, "x");       // toggle: failure, would roll back
    answerStatus(500, "x");       // delete: failure, would restore
    answer(threeFolders[0]);      // deleteFolder: success, would reload
    transport->setHeld(true);
    std::vector<QCoro::Task<void>> running;
    running.push_back(doomed->send("купить хлеб"));
    running.push_back(doomed->toggleDone(doomed->tasks()[0]));
    running.push_back(doomed->deleteTask(doomed->tasks()[1]));
    running.push_back(doomed->deleteFolder(threeFolders[0], std::nullopt, true));
    doomed.reset();
    transport->release();
    for (auto& task : running)
        wait(std::move(task));
    EXPECT_EQ(transport->requests().size(), 2 + 4); // no reload after the answers
}

// The history and the task detail, each on a plain client that never renews its token.
class DetailViewModelsTest : public ViewModelFixture {
protected:
    APIClient api{QUrl(QStringLiteral("https://service.test")), transport, QStringLiteral("tok")};
};

// A reprocess opens the capture again to show the new run; one without a result clears the last.
// Each operation's failure has its fixed line and keeps what the screen shows.
TEST_F(DetailViewModelsTest, History_reprocess_shows_the_result_and_the_new_run) {
    CaptureHistoryViewModel vm(api);
    ReprocessResponse reprocessed;
    reprocessed.result = applyResult("Переделал");
    const CaptureWithRuns refreshed{makeCapture("c1"), {ProcessingRun{}}};
    answer(reprocessed, refreshed, ReprocessResponse{}, refreshed);
    wait(vm.reprocess("c1", QStringLiteral("купить кефир")));
    EXPECT_EQ(vm.lastResult(), reprocessed.result);
    EXPECT_EQ(vm.detail(), refreshed);
    EXPECT_EQ(body(1), (QJsonObject{{"editedText", "купить кефир"}}));
    wait(vm.reprocess("c1", std::nullopt));
    EXPECT_EQ(body(1), QJsonObject{});
    EXPECT_FALSE(vm.lastResult());
    EXPECT_EQ(newRequests(), (QStringList{"POST /captures/c1/reprocess", "GET /captures/c1",
                                          "POST /captures/c1/reprocess", "GET /captures/c1"}));

    answer(QList<Capture>{makeCapture("c2"), makeCapture("c1")});
    wait(vm.load());
    const std::pair<std::function<QCoro::Task<void>()>, QString> cases[] = {
        {[&] { return vm.load(); }, QStringLiteral("Не удалось загрузить историю")},
        {[&] { return vm.open("c1"); }, QStringLiteral("Не удалось открыть запрос")},
        {[&] { return vm.reprocess("c1", std::nullopt); },
         QStringLiteral("Не удалось переобработать")},
    };
    for (const auto& [operation, line] : cases) {
        answerStatus(401, "expired");
        wait(operation());
        EXPECT_EQ(vm.errorText(), line);
    }
    EXPECT_EQ(vm.captures().size(), 2);
}

// A failed save keeps the task as shown and its line stays after a later success; checklist
// ticks, which the service never hears of, last until the next answer.
TEST_F(DetailViewModelsTest, Detail_saves_only_the_given_fields_and_adopts_the_answer) {
    TaskItem task = makeTask("t1");
    task.checklist = QList<ChecklistItem>{{"c1", "молоко", false}};
    TaskDetailViewModel vm(task, api);
    vm.chooseStatus(6); // off the list: nothing
    vm.toggleChecklist("c1");
    answerStatus(500, "x");
    wait(vm.save(QStringLiteral("Новое"), std::nullopt, std::nullopt));
    EXPECT_TRUE(vm.task().checklist->at(0).done);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));

    answer(task, task);
    wait(vm.save(QStringLiteral("Новое"), TaskStatus::inProgress, std::nullopt));
    EXPECT_EQ(body(), (QJsonObject{{"title", "Новое"}, {"status", "IN_PROGRESS"}}));
    EXPECT_EQ(vm.task(), task);
    wait(vm.save(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(*transport->requests().last().body, "{}");
    EXPECT_EQ(transport->requests().size(), 3);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Не удалось сохранить"));
}

// Overlapping actions whose answers arrive in the opposite order from their requests.
class LoadOrderTest : public SessionFixture<ManualTransport> {
protected:
    // The client may build its request on a later turn of the event loop.
    void awaitRequests(qsizetype count) {
        ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == count; }));
    }
    template <class T>
    void answer(qsizetype request, const T& value) {
        transport->answer(request, 200, ODJSON::encoder().encode(value));
    }

    AppViewModel vm{&session};
};

// A superseded load is dropped, its list and its failure alike.
TEST_F(LoadOrderTest, A_slow_answer_for_the_previous_folder_never_replaces_the_current_list) {
    auto first = vm.select(QStringLiteral("f1"));
    auto second = vm.select(QStringLiteral("f2"));
    auto stale = vm.loadFolders();
    auto current = vm.loadFolders();
    awaitRequests(4);
    answer(1, QList<TaskItem>{makeTask("from-f2")});
    wait(std::move(second));
    answer(0, QList<TaskItem>{makeTask("from-f1")});
    wait(std::move(first));
    answer(3, QList<Folder>{makeFolder("f2", QStringLiteral("Дом"))});
    wait(std::move(current));
    transport->answer(2, 500, "stale");
    wait(std::move(stale));
    EXPECT_EQ(vm.tasks(), QList<TaskItem>{makeTask("from-f2")});
    EXPECT_FALSE(vm.errorText());
}

// A failed delete puts its task back only while the folder it left is still the one listed.
TEST_F(LoadOrderTest, A_failed_delete_puts_the_task_back_only_into_its_own_folder) {
    auto load = vm.select(QStringLiteral("f1"));
    awaitRequests(1);
    answer(0, QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(std::move(load));
    auto deleting = vm.deleteTask(makeTask("a"));
    awaitRequests(2);
    auto other = vm.select(QStringLiteral("f2"));
    awaitRequests(3);
    answer(2, QList<TaskItem>{makeTask("x")});
    wait(std::move(other));
    transport->answer(1, 500, "nope");
    wait(std::move(deleting));
    EXPECT_EQ(vm.tasks(), QList<TaskItem>{makeTask("x")});
}

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
