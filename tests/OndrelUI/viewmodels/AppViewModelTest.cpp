#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/QtPrinters.h"

#include "ModelSignalLog.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "PropertyLog.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/MockSpeechTranscriber.h"
#include "support/WaitUntil.h"

#include <QAbstractItemModelTester>

namespace {

const QString ellipsis = QString(QChar(0x2026));

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

    const QList<Folder> threeFolders{makeFolder("f1", QStringLiteral("Входящие")),
                                     makeFolder("f2", QStringLiteral("Работа")),
                                     makeFolder("f3", QStringLiteral("Дом"))};
    AppViewModel vm{&session};
    QAbstractItemModelTester rowTester{vm.taskRows(),
                                       QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester folderTester{vm.folderModel(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// MARK: loading

// The selection stays while its folder is listed; otherwise the first folder, or none.
TEST_F(AppViewModelTest, Load_folders_keeps_a_listed_selection_and_otherwise_selects_the_first) {
    answer(QList<Folder>{}, QList<TaskItem>{makeTask("a")});
    wait(vm.loadFolders());
    wait(vm.loadTasks()); // no selection: every task
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_EQ(taskIds(), QStringList{"a"});

    const QList<Folder> withoutF1{threeFolders[1], threeFolders[2]};
    answer(threeFolders, QList<TaskItem>{}, withoutF1, QList<Folder>{threeFolders[1]},
           QList<TaskItem>{}, QList<Folder>{});
    wait(vm.loadFolders());
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
    wait(vm.select(QStringLiteral("f3")));
    wait(vm.loadFolders()); // f3 is still listed
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f3"));
    wait(vm.loadFolders()); // f3 is gone: the first folder left takes its place
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    EXPECT_TRUE(vm.folderModel()->index(0).data(FolderListModel::IsSelectedRole).toBool());
    wait(vm.loadTasks());
    wait(vm.loadFolders()); // none left
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_EQ(newRequests(), (QStringList{"GET /folders", "GET /tasks", "GET /folders",
                                          "GET /tasks?folderId=f3", "GET /folders", "GET /folders",
                                          "GET /tasks?folderId=f2", "GET /folders"}));
    EXPECT_EQ(transport->requests().last().header("Authorization"), "Bearer access-1");
}

TEST_F(AppViewModelTest, Load_tasks_orders_by_the_current_sort) {
    TaskItem old = makeTask("old", TaskStatus::todo, 1);
    TaskItem mid = makeTask("mid", TaskStatus::todo, 2);
    TaskItem fresh = makeTask("new", TaskStatus::todo, 3);
    old.dueDate = Instant::fromMSecsSinceEpoch(5'000);
    fresh.dueDate = Instant::fromMSecsSinceEpoch(1'000);
    answer(QList<TaskItem>{old, fresh, mid}, QList<TaskItem>{old, fresh, mid});
    wait(vm.loadTasks());
    EXPECT_EQ(taskIds(), (QStringList{"new", "mid", "old"}));
    vm.setSortByDeadline(true);
    EXPECT_EQ(vm.sort(), TaskSort::dueAsc);
    wait(vm.loadTasks());
    EXPECT_EQ(taskIds(), (QStringList{"new", "old", "mid"}));
}

TEST_F(AppViewModelTest, Reload_with_the_same_tasks_announces_nothing) {
    prime(threeFolders, {makeTask("a"), makeTask("b")});
    PropertyLog log(&vm);
    ModelSignalLog rows(vm.taskRows());
    answer(QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(vm.loadTasks());
    EXPECT_TRUE(log.entries.isEmpty()) << log.entries.join(u", ").toStdString();
    EXPECT_EQ(rows.resets.size(), 0);
}

// A failed load keeps the lists and names what failed; a renewal that fails ends the session;
// a later success keeps the line.
TEST_F(AppViewModelTest, Failed_loads_keep_the_lists_and_set_one_line) {
    prime(threeFolders, {makeTask("a")});
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::ConnectionRefusedError, "Connection refused")));
    wait(vm.loadFolders());
    EXPECT_EQ(vm.errorText(),
              QStringLiteral("Не удалось загрузить папки: нет соединения с сервисом"));
    answerStatus(200, "{\"oops\":1}");
    wait(vm.loadTasks());
    EXPECT_TRUE(vm.errorText()->startsWith(QStringLiteral("Не удалось загрузить задачи: ")));
    answerStatus(503, "down for maintenance");
    wait(vm.loadTasks());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 503: down for maintenance"));
    answerStatus(401, "expired");
    answerStatus(401, "refresh rejected");
    wait(vm.loadTasks());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Сессия истекла — войди заново"));
    EXPECT_EQ(newRequests().last(), "POST /auth/refresh");
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
    EXPECT_EQ(taskIds(), QStringList{"a"});

    answer(threeFolders);
    wait(vm.loadFolders());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Сессия истекла — войди заново"));
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
        {http(500, QString(300, u'x')),
         QStringLiteral("Ошибка 500: ") + QString(140, u'x') + ellipsis},
        {http(500, QString(140, u'y')), QStringLiteral("Ошибка 500: ") + QString(140, u'y')},
        {http(500, QString()), QStringLiteral("Ошибка 500: ")},
        {http(422, emoji),
         QStringLiteral("Ошибка 422: ") + emoji.left(emoji.size() / 141 * 140) + ellipsis},
        {std::make_exception_ptr(APIError::unauthorized()),
         QStringLiteral("Сессия истекла — войди заново")},
        {std::make_exception_ptr(APIError::invalidResponse()),
         failed + QStringLiteral("сервис ответил не по протоколу HTTP")},
        {std::make_exception_ptr(TransportError(QNetworkReply::BackgroundRequestNotAllowedError,
                                                "Background request not allowed")),
         failed + QStringLiteral("Background request not allowed")},
        {std::make_exception_ptr(RequestRefusal(RequestRefusal::Reason::unusableId)),
         failed + QStringLiteral("запрос не отправлен — недопустимый идентификатор")},
        {std::make_exception_ptr(42), failed + QStringLiteral("неизвестная ошибка")},
    };
    for (const auto& [error, line] : cases)
        EXPECT_EQ(AppViewModel::failureText(error, QStringLiteral("сохранить задачу")), line);
}

// MARK: selection

TEST_F(AppViewModelTest, Select_adjacent_moves_within_bounds_without_wrapping) {
    wait(vm.selectAdjacentFolder(1)); // no folders: nothing to do
    EXPECT_FALSE(vm.selectedFolderId());
    answer(threeFolders);
    wait(vm.loadFolders());
    const struct {
        const char* from;
        int offset;
        const char* to;
        bool loads;
    } cases[] = {
        {"f1", -1, "f1", false},     {"f3", +1, "f3", false}, {"f1", +1, "f2", true},
        {"f3", -1, "f2", true},      {"f1", +2, "f3", true},  {"gone", +1, "f2", true},
        {"gone", -1, "gone", false}, // an unknown selection counts as the first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + std::to_string(c.offset));
        answer(QList<TaskItem>{});
        wait(vm.select(c.from));
        newRequests();
        if (c.loads)
            answer(QList<TaskItem>{});
        wait(vm.selectAdjacentFolder(c.offset));
        EXPECT_EQ(vm.selectedFolderId(), QString::fromLatin1(c.to));
        EXPECT_EQ(newRequests(), c.loads
                                     ? QStringList{QStringLiteral("GET /tasks?folderId=") + c.to}
                                     : QStringList{});
    }
    EXPECT_FALSE(vm.errorText());
}

TEST_F(AppViewModelTest, Select_reloads_even_the_selected_folder) {
    prime(threeFolders, {});
    PropertyLog log(&vm);
    answer(QList<TaskItem>{makeTask("a")});
    wait(vm.select(QStringLiteral("f1")));
    EXPECT_EQ(newRequests(), QStringList{"GET /tasks?folderId=f1"});
    EXPECT_EQ(log.entries, QStringList{"tasks=1"}); // the selection did not change
    EXPECT_TRUE(vm.folderModel()->index(0).data(FolderListModel::IsSelectedRole).toBool());
}

// MARK: toggleDone

// Every status but DONE completes; DONE reopens. The change shows at once, in place, and the
// service's answer replaces it.
TEST_F(AppViewModelTest, Toggle_changes_optimistically_then_adopts_the_answer) {
    for (const TaskStatus from : allCases<TaskStatus>()) {
        SCOPED_TRACE(rawValue(from).toStdString());
        const bool reopens = from == TaskStatus::done;
        TaskItem task = makeTask("t1", from);
        if (reopens)
            task.completedAt = Instant::fromMSecsSinceEpoch(7'000);
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
        EXPECT_FALSE(vm.errorText());
    }
}

TEST_F(AppViewModelTest, Toggle_failure_puts_the_task_back_as_given) {
    const TaskItem task = makeTask("t1");
    prime(threeFolders, {makeTask("a"), task});
    PropertyLog log(&vm);
    wait(vm.toggleDone(makeTask("gone"))); // no longer listed: nothing to do
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_TRUE(newRequests().isEmpty());

    answerStatus(500, "nope");
    wait(vm.toggleDone(task));
    EXPECT_EQ(vm.tasks()[1], task);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));
    answerStatus(200, "not json");
    wait(vm.toggleDone(task));
    EXPECT_EQ(vm.tasks()[1], task);
    EXPECT_TRUE(vm.errorText()->startsWith(QStringLiteral("Не удалось обновить статус: ")));
}

TEST_F(AppViewModelTest, Toggle_touches_one_row_never_resets) {
    prime(threeFolders, {makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done)});
    ModelSignalLog rows(vm.taskRows());
    TaskItem b = vm.tasks()[1];
    TaskItem bDone = b;
    bDone.status = TaskStatus::done;
    answer(bDone);
    wait(vm.toggleDone(b));
    EXPECT_EQ(rows.resets.size(), 0);
    EXPECT_EQ(rows.moves.size(), 1); // crosses into the finished group once
    EXPECT_EQ(rows.inserts.size() + rows.removals.size(), 0);
    EXPECT_EQ(vm.taskRows()->index(2).data(TaskListModel::TaskIdRole).toString(), "b");
    EXPECT_EQ(vm.activeTasks().size(), 1);
    EXPECT_EQ(vm.doneTasks().size(), 2);

    rows.clear(); // a failing reopen: the optimistic move and the rollback move back
    answerStatus(500, "nope");
    wait(vm.toggleDone(vm.tasks()[1]));
    EXPECT_EQ(rows.resets.size(), 0);
    EXPECT_EQ(rows.moves.size(), 2);
    EXPECT_EQ(vm.tasks()[1].status, TaskStatus::done);
}

// MARK: deleteTask

TEST_F(AppViewModelTest, Delete_removes_at_once_and_a_failure_restores_the_position) {
    prime(threeFolders, {makeTask("a"), makeTask("b"), makeTask("c")});
    ModelSignalLog rows(vm.taskRows());
    answerStatus(500, "nope");
    transport->setHeld(true);
    auto running = vm.deleteTask(vm.tasks()[1]);
    EXPECT_EQ(taskIds(), (QStringList{"a", "c"}));
    transport->release();
    wait(std::move(running));
    EXPECT_EQ(taskIds(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));
    EXPECT_EQ(newRequests(), QStringList{"DELETE /tasks/b"});
    EXPECT_EQ(rows.resets.size(), 0);
    EXPECT_EQ(rows.removals.size(), 1);
    EXPECT_EQ(rows.inserts.size(), 1);

    answer(vm.tasks()[1]);
    wait(vm.deleteTask(vm.tasks()[1]));
    EXPECT_EQ(taskIds(), (QStringList{"a", "c"}));
}

// MARK: updateTask

TEST_F(AppViewModelTest, Update_sends_the_patch_and_reloads_only_on_success) {
    prime(threeFolders, {makeTask("t1")});
    const Instant due = Instant::fromMSecsSinceEpoch(1'767'225'600'000); // 2026-01-01T00:00Z
    answer(makeTask("t1"), QList<TaskItem>{makeTask("u")});
    wait(vm.updateTask("t1", " Название ", QString(), TaskStatus::inProgress, Priority::high, "f2",
                       due, true));
    EXPECT_EQ(newRequests(), (QStringList{"PATCH /tasks/t1", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(1), (QJsonObject{{"title", " Название "},
                                    {"status", "IN_PROGRESS"},
                                    {"priority", "HIGH"},
                                    {"folderId", "f2"},
                                    {"body", ""},
                                    {"dueDate", "2026-01-01T00:00:00.000Z"},
                                    {"hasDeadline", true}}));
    EXPECT_EQ(taskIds(), QStringList{"u"});

    answerStatus(500, "nope"); // without a deadline no date goes out
    wait(vm.updateTask("t1", "x", std::nullopt, TaskStatus::todo, Priority::none, std::nullopt,
                       Instant::now(), false));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/t1"});
    EXPECT_EQ(
        body(),
        (QJsonObject{
            {"title", "x"}, {"status", "TODO"}, {"priority", "NONE"}, {"hasDeadline", false}}));
    EXPECT_EQ(taskIds(), QStringList{"u"});
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));
}

// MARK: folders

TEST_F(AppViewModelTest, Create_folder_sends_the_trimmed_name_and_reloads_folders) {
    prime(threeFolders, {});
    PropertyLog log(&vm);
    wait(vm.createFolder(" \n\t "));
    EXPECT_TRUE(newRequests().isEmpty());
    EXPECT_TRUE(log.entries.isEmpty());

    const Folder created = makeFolder("f4", QStringLiteral("Дача"));
    answer(created, threeFolders + QList<Folder>{created});
    wait(vm.createFolder("  Дача\n"));
    EXPECT_EQ(newRequests(), (QStringList{"POST /folders", "GET /folders"}));
    EXPECT_EQ(body(1), (QJsonObject{{"name", "Дача"}}));
    EXPECT_EQ(vm.folders().size(), 4);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));

    answer(created, QList<Folder>{threeFolders[1], created}, QList<TaskItem>{makeTask("w")});
    wait(vm.createFolder("Дача")); // f1 was deleted elsewhere meanwhile
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    EXPECT_EQ(taskIds(), QStringList{"w"});
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /folders", "GET /folders", "GET /tasks?folderId=f2"}));

    answerStatus(409, "exists");
    wait(vm.createFolder("Дача"));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 409: exists"));
    EXPECT_EQ(newRequests(), QStringList{"POST /folders"});
}

// Deleting the selected folder selects the first one left, or none; deleting another keeps it.
TEST_F(AppViewModelTest, Delete_folder_sends_the_query_reloads_and_reselects_only_when_needed) {
    prime(threeFolders, {});
    const Folder &f1 = threeFolders[0], &f2 = threeFolders[1], &f3 = threeFolders[2];
    const struct {
        Folder folder;
        std::optional<QString> moveTo;
        bool deleteTasks;
        QString request;
        QList<Folder> left;
        std::optional<QString> selected;
    } cases[] = {
        {f2, "f3", false, "DELETE /folders/f2?tasks=move&to=f3", {f1, f3}, "f1"},
        {f3, std::nullopt, false, "DELETE /folders/f3?tasks=move", {f1, f2}, "f1"},
        {f1, "f3", true, "DELETE /folders/f1?tasks=delete", {f2, f3}, "f2"},
        {f2, std::nullopt, true, "DELETE /folders/f2?tasks=delete", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.toStdString());
        answer(c.folder, c.left, QList<TaskItem>{});
        wait(vm.deleteFolder(c.folder, c.moveTo, c.deleteTasks));
        const QString tasks = c.selected ? "GET /tasks?folderId=" + *c.selected : "GET /tasks";
        EXPECT_EQ(newRequests(), (QStringList{c.request, "GET /folders", tasks}));
        EXPECT_EQ(vm.selectedFolderId(), c.selected);
        EXPECT_EQ(vm.folders(), c.left);
    }
}

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

// MARK: captures

TEST_F(AppViewModelTest, Send_announces_busy_status_answer_and_error_in_order) {
    prime(threeFolders, {});
    answer(applyResult("старый ответ"), threeFolders, QList<TaskItem>{});
    wait(vm.send("раз")); // leave an answer and an error line behind
    answerStatus(500, "old failure");
    wait(vm.loadTasks());
    newRequests();

    PropertyLog log(&vm);
    answer(applyResult("Создал задачу «купить молоко»"), threeFolders,
           QList<TaskItem>{makeTask("milk")});
    wait(vm.send("  купить молоко завтра \n"));
    EXPECT_EQ(log.entries, (QStringList{"busy=true", "status=AI разбирает…", "answer=∅", "error=∅",
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

    log.entries.clear();
    wait(vm.send(" \n\t ")); // blank: nothing at all
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_TRUE(newRequests().isEmpty());
}

TEST_F(AppViewModelTest, Capture_sends_base64_audio_and_shows_done_without_a_result) {
    prime(threeFolders, {});
    const QByteArray audio("\x00\x01\xfe\xff recording", 15);
    CaptureProcessResponse response;
    response.capture.id = QStringLiteral("c1");
    answer(response, threeFolders, QList<TaskItem>{});
    PropertyLog log(&vm);
    wait(vm.capture(audio));
    EXPECT_EQ(log.entries, (QStringList{"busy=true", "status=Распознаю и разбираю…",
                                        "answer=Готово", "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /captures", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(body(2), (QJsonObject{{"audioBase64", QString::fromLatin1(audio.toBase64())},
                                    {"mimeType", "audio/m4a"}}));

    response.result = applyResult("Записал");
    answer(response, threeFolders, QList<TaskItem>{});
    wait(vm.capture(audio));
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Записал"));
}

TEST_F(AppViewModelTest, Failed_reload_after_a_capture_names_the_reload_and_keeps_the_answer) {
    prime(threeFolders, {});
    answer(applyResult("Готово, удалил"), threeFolders);
    answerStatus(200, "[{\"id\":1}]");
    wait(vm.send("удали всё"));
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Готово, удалил"));
    ASSERT_TRUE(vm.errorText());
    EXPECT_TRUE(vm.errorText()->startsWith(QStringLiteral("Не удалось загрузить задачи: ")));
    EXPECT_FALSE(vm.isBusy());
    EXPECT_FALSE(vm.statusText());
}

TEST_F(AppViewModelTest, A_capture_in_progress_excludes_the_other) {
    prime(threeFolders, {});
    CaptureProcessResponse response;
    response.result = applyResult("первый");
    answer(response, threeFolders, QList<TaskItem>{});
    transport->setHeld(true);
    auto first = vm.capture("audio");
    ASSERT_TRUE(vm.isBusy());
    PropertyLog log(&vm);
    wait(vm.send("второй"));
    wait(vm.capture("ещё"));
    EXPECT_TRUE(log.entries.isEmpty());
    transport->release();
    wait(std::move(first));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /captures", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_FALSE(vm.isBusy());
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("первый"));
}

// The offer to send a failed recording again lasts while the error line shows that failure.
TEST_F(AppViewModelTest, A_failed_recording_is_offered_again_until_the_line_moves_on) {
    prime(threeFolders, {});
    const auto failCapture = [&] {
        answerStatus(503, "занято");
        wait(vm.capture("запись"));
        return vm.canRetryCapture();
    };
    ASSERT_TRUE(failCapture());
    answerStatus(500, "x");
    wait(vm.loadTasks()); // another failure takes the line
    EXPECT_FALSE(vm.canRetryCapture());

    ASSERT_TRUE(failCapture());
    answerStatus(500, "x");
    wait(vm.send("текст")); // a new capture, failing for itself
    EXPECT_FALSE(vm.canRetryCapture());

    ASSERT_TRUE(failCapture());
    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    transport->setHeld(true);
    vm.retryCapture(); // the capture drops the offer as it starts
    EXPECT_TRUE(vm.isBusy());
    EXPECT_FALSE(vm.canRetryCapture());
    transport->release();
    EXPECT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
    EXPECT_FALSE(vm.canRetryCapture());
}

// A sheet opens on a record still listed; history and detail call with the current token.
TEST_F(AppViewModelTest, Sheets_and_screens_open_on_listed_records_with_the_current_token) {
    prime(threeFolders, {makeTask("a")});
    EXPECT_EQ(vm.openTaskEditor("gone"), nullptr);
    EXPECT_EQ(vm.openFolderDeletion("gone"), nullptr);
    EXPECT_EQ(vm.openTaskDetail("gone"), nullptr);
    const std::unique_ptr<FolderDeleteForm> deletion(vm.openFolderDeletion("f2"));
    EXPECT_EQ(deletion->folderName(), QStringLiteral("Работа"));
    EXPECT_EQ(deletion->targets()->indexOf("f1"), 0);
    EXPECT_EQ(deletion->targets()->indexOf("f3"), 1);
    EXPECT_EQ(deletion->targets()->rowCount(), 2);

    session.set(QStringLiteral("access-2"), QStringLiteral("refresh-2"));
    const std::unique_ptr<CaptureHistoryViewModel> history(vm.openHistory());
    const std::unique_ptr<TaskDetailViewModel> detail(vm.openTaskDetail("a"));
    EXPECT_EQ(detail->task(), makeTask("a"));
    answer(QList<Capture>{}, makeTask("a"));
    wait(history->load());
    wait(detail->save(std::nullopt, TaskStatus::done, std::nullopt));
    EXPECT_EQ(newRequests(), (QStringList{"GET /captures", "PATCH /tasks/a"}));
    for (const HTTPRequest& request : transport->requests().mid(transport->requests().size() - 2))
        EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer access-2"));
}

// The service transcribes; the transcriber given is kept for later and never consulted.
TEST_F(AppViewModelTest, Keeps_the_transcriber_it_is_given_and_never_consults_it) {
    const auto transcriber = std::make_shared<MockSpeechTranscriber>(QStringLiteral("текст"));
    AppViewModel withSpeech(&session, transcriber);
    EXPECT_EQ(withSpeech.transcriber(), transcriber);
    EXPECT_EQ(vm.transcriber(), nullptr);
    answer(CaptureProcessResponse{}, QList<Folder>{}, QList<TaskItem>{});
    wait(withSpeech.capture("audio"));
    EXPECT_EQ(newRequests().first(), QStringLiteral("POST /captures"));
    EXPECT_EQ(transcriber.use_count(), 2);
}

// MARK: lifetime

TEST_F(AppViewModelTest, Actions_outliving_the_view_model_leave_it_alone) {
    auto doomed = std::make_unique<AppViewModel>(&session);
    answer(threeFolders, QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(doomed->loadFolders());
    wait(doomed->loadTasks());

    answer(applyResult("ответ")); // send: success, would reload
    answerStatus(500, "x");       // toggle: failure, would roll back
    answerStatus(500, "x");       // delete: failure, would restore
    answer(makeTask("a"));        // update: success, would reload
    answer(threeFolders[0]);      // deleteFolder: success, would reload
    answerStatus(500, "x");       // loadTasks: failure, would set the line
    transport->setHeld(true);
    std::vector<QCoro::Task<void>> running;
    running.push_back(doomed->send("купить хлеб"));
    running.push_back(doomed->toggleDone(doomed->tasks()[0]));
    running.push_back(doomed->deleteTask(doomed->tasks()[1]));
    running.push_back(doomed->updateTask("a", "t", std::nullopt, TaskStatus::todo, Priority::low,
                                         std::nullopt, std::nullopt, false));
    running.push_back(doomed->deleteFolder(threeFolders[0], std::nullopt, true));
    running.push_back(doomed->loadTasks());
    doomed.reset();
    transport->release();
    for (auto& task : running)
        wait(std::move(task));
    // Nothing was sent after the answers: no reload ran for a view model that is gone.
    EXPECT_EQ(transport->requests().size(), 2 + 6);
}

} // namespace
