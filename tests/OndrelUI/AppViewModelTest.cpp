#include "OndrelUI/AppViewModel.h"
#include "support/QtPrinters.h"

#include "ModelSignalLog.h"
#include "OndrelCore/APIError.h"
#include "OndrelCore/CaptureProcessResponse.h"
#include "OndrelCore/MockSpeechTranscriber.h"
#include "OndrelCore/TransportError.h"
#include "PropertyLog.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>

namespace {

const QString ellipsis = QString(QChar(0x2026));

class AppViewModelTest : public ViewModelFixture {
protected:
    // The screen's first load: these folders, then these tasks of the first folder.
    void prime(const QList<Folder>& folders, const QList<TaskItem>& tasks) {
        answer(folders);
        wait(vm.loadFolders());
        answer(tasks);
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

TEST_F(AppViewModelTest, Starts_empty_and_sends_nothing) {
    EXPECT_TRUE(vm.folders().isEmpty());
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_TRUE(vm.tasks().isEmpty());
    EXPECT_EQ(vm.sort(), TaskSort::createdDesc);
    EXPECT_FALSE(vm.assistantAnswer() || vm.errorText() || vm.statusText() || vm.isBusy());
    EXPECT_EQ(vm.transcriber(), nullptr);
    EXPECT_TRUE(transport->requests().isEmpty());
}

TEST_F(AppViewModelTest, Keeps_the_transcriber_it_is_given_and_never_consults_it) {
    const auto transcriber = std::make_shared<MockSpeechTranscriber>(QStringLiteral("текст"));
    AppViewModel withSpeech(&session, transcriber);
    EXPECT_EQ(withSpeech.transcriber(), transcriber);
    answer(CaptureProcessResponse{});
    answer(QList<Folder>{});
    answer(QList<TaskItem>{});
    wait(withSpeech.capture("audio"));
    EXPECT_EQ(newRequests().first(), QStringLiteral("POST /captures")); // the service transcribes
    EXPECT_EQ(transcriber.use_count(), 2);
}

TEST_F(AppViewModelTest, Load_folders_selects_the_first_only_when_nothing_is_selected) {
    answer(threeFolders);
    wait(vm.loadFolders());
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));

    answer(QList<Folder>{threeFolders[1]}); // f1 is gone, but the selection stays
    wait(vm.loadFolders());
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
    answer(QList<TaskItem>{});
    wait(vm.loadTasks());
    EXPECT_EQ(newRequests(),
              (QStringList{"GET /folders", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(transport->requests().last().header("Authorization"), "Bearer access-1");
}

TEST_F(AppViewModelTest, Empty_folder_list_leaves_no_selection_and_tasks_load_unfiltered) {
    answer(QList<Folder>{});
    wait(vm.loadFolders());
    EXPECT_FALSE(vm.selectedFolderId());
    answer(QList<TaskItem>{makeTask("a")});
    wait(vm.loadTasks());
    EXPECT_EQ(newRequests(), (QStringList{"GET /folders", "GET /tasks"}));
    EXPECT_EQ(taskIds(), QStringList{"a"});
}

TEST_F(AppViewModelTest, Load_tasks_orders_by_the_current_sort) {
    TaskItem old = makeTask("old", TaskStatus::todo, 1);
    TaskItem mid = makeTask("mid", TaskStatus::todo, 2);
    TaskItem fresh = makeTask("new", TaskStatus::todo, 3);
    old.dueDate = Instant::fromMSecsSinceEpoch(5'000);
    fresh.dueDate = Instant::fromMSecsSinceEpoch(1'000);
    answer(QList<TaskItem>{old, fresh, mid});
    wait(vm.loadTasks());
    EXPECT_EQ(taskIds(), (QStringList{"new", "mid", "old"}));

    vm.setSortByDeadline(true);
    EXPECT_EQ(vm.sort(), TaskSort::dueAsc);
    answer(QList<TaskItem>{old, fresh, mid});
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

// MARK: failure lines

struct FailureCase {
    const char* name;
    std::function<void(FakeTransport&)> script;
    QString expectedStart; // the line starts with this...
    bool exact;            // ...or is exactly it
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class LoadFailure : public AppViewModelTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(LoadFailure, Leaves_the_lists_and_sets_one_line) {
    prime(threeFolders, {makeTask("a")});
    GetParam().script(*transport);
    wait(vm.loadFolders());
    GetParam().script(*transport);
    wait(vm.loadTasks());
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
    EXPECT_EQ(taskIds(), QStringList{"a"});
    ASSERT_TRUE(vm.errorText());
    const QString expected = QString(GetParam().expectedStart).replace("%1", "загрузить задачи");
    if (GetParam().exact) {
        EXPECT_EQ(*vm.errorText(), expected);
    } else {
        EXPECT_TRUE(vm.errorText()->startsWith(expected)) << vm.errorText()->toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    AppViewModel, LoadFailure,
    testing::Values(
        FailureCase{"http", [](FakeTransport& t) { t.enqueue(503, "down for maintenance"); },
                    QStringLiteral("Ошибка 503: down for maintenance"), true},
        FailureCase{"http_empty_body", [](FakeTransport& t) { t.enqueue(500, ""); },
                    QStringLiteral("Ошибка 500: "), true},
        FailureCase{"expired_session",
                    [](FakeTransport& t) {
                        t.enqueue(401, "expired");
                        t.enqueue(401, "refresh rejected");
                    },
                    QStringLiteral("Сессия истекла — войди заново"), true},
        FailureCase{"undecodable", [](FakeTransport& t) { t.enqueue(200, "{\"oops\":1}"); },
                    QStringLiteral("Не удалось %1: "), false},
        FailureCase{"transport",
                    [](FakeTransport& t) {
                        t.enqueueError(std::make_exception_ptr(TransportError(
                            QNetworkReply::ConnectionRefusedError, "Connection refused")));
                    },
                    QStringLiteral("Не удалось %1: Connection refused"), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppViewModelFailureText, Cuts_long_bodies_by_characters) {
    const auto line = [](std::exception_ptr error) {
        return AppViewModel::failureText(error, QStringLiteral("сохранить задачу"));
    };
    const QString body300 = QString(300, u'x');
    EXPECT_EQ(line(std::make_exception_ptr(APIError::http(500, body300))),
              QStringLiteral("Ошибка 500: ") + QString(140, u'x') + ellipsis);
    EXPECT_EQ(line(std::make_exception_ptr(APIError::http(500, QString(140, u'y')))),
              QStringLiteral("Ошибка 500: ") + QString(140, u'y'));
    QString emoji;
    for (int i = 0; i < 141; ++i)
        emoji += QString::fromUtf8("👍🏽");
    const QString cut = line(std::make_exception_ptr(APIError::http(422, emoji)));
    EXPECT_EQ(cut,
              QStringLiteral("Ошибка 422: ") + emoji.left(emoji.size() / 141 * 140) + ellipsis);
    EXPECT_EQ(line(std::make_exception_ptr(APIError::unauthorized())),
              QStringLiteral("Сессия истекла — войди заново"));
    EXPECT_TRUE(line(std::make_exception_ptr(APIError::invalidResponse()))
                    .startsWith(QStringLiteral("Не удалось сохранить задачу: ")));
    EXPECT_EQ(line(std::make_exception_ptr(42)),
              QStringLiteral("Не удалось сохранить задачу: неизвестная ошибка"));
}

TEST_F(AppViewModelTest, A_later_success_keeps_the_error_line) {
    answerStatus(500, "boom");
    wait(vm.loadFolders());
    answer(threeFolders);
    wait(vm.loadFolders());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: boom"));
}

TEST_F(AppViewModelTest, Session_renews_once_and_repeats_the_call) {
    answerStatus(401, "expired");
    answer(AuthResponse{.user = {},
                        .created = false,
                        .accessToken = "access-2",
                        .refreshToken = "refresh-2",
                        .accessExpiresAt = {},
                        .refreshExpiresAt = {}});
    answer(threeFolders);
    wait(vm.loadFolders());
    EXPECT_EQ(newRequests(), (QStringList{"GET /folders", "POST /auth/refresh", "GET /folders"}));
    EXPECT_EQ(transport->requests().last().header("Authorization"), "Bearer access-2");
    EXPECT_EQ(vm.folders(), threeFolders);
    EXPECT_FALSE(vm.errorText());
}

// MARK: selection

struct AdjacentCase {
    const char* name;
    QString selected; // selected before (may name no folder)
    int offset;
    QString expected;
    bool loads;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AdjacentCase& c, std::ostream* out) {
    *out << c.name;
}

class SelectAdjacent : public AppViewModelTest, public testing::WithParamInterface<AdjacentCase> {};

TEST_P(SelectAdjacent, Moves_within_bounds_without_wrapping) {
    const AdjacentCase& c = GetParam();
    answer(threeFolders);
    wait(vm.loadFolders());
    answer(QList<TaskItem>{});
    wait(vm.select(c.selected));
    newRequests();
    answer(QList<TaskItem>{});
    wait(vm.selectAdjacentFolder(c.offset));
    EXPECT_EQ(vm.selectedFolderId(), c.expected);
    EXPECT_EQ(newRequests(),
              c.loads ? QStringList{"GET /tasks?folderId=" + c.expected} : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    AppViewModel, SelectAdjacent,
    testing::Values(AdjacentCase{"before_first", "f1", -1, "f1", false},
                    AdjacentCase{"after_last", "f3", +1, "f3", false},
                    AdjacentCase{"next", "f1", +1, "f2", true},
                    AdjacentCase{"previous", "f3", -1, "f2", true},
                    AdjacentCase{"two_ahead", "f1", +2, "f3", true},
                    AdjacentCase{"unknown_counts_as_first", "gone", +1, "f2", true},
                    AdjacentCase{"unknown_then_back", "gone", -1, "gone", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppViewModelTest, Adjacent_with_no_folders_does_nothing) {
    wait(vm.selectAdjacentFolder(1));
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_TRUE(newRequests().isEmpty());
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

struct ToggleCase {
    TaskStatus from;
    TaskStatus to;
    QString request;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ToggleCase& c, std::ostream* out) {
    *out << rawValue(c.from).toStdString() << " -> " << c.request.toStdString();
}

class ToggleDone : public AppViewModelTest, public testing::WithParamInterface<ToggleCase> {};

TEST_P(ToggleDone, Changes_optimistically_then_adopts_the_answer) {
    const ToggleCase& c = GetParam();
    TaskItem task = makeTask("t1", c.from);
    if (c.from == TaskStatus::done)
        task.completedAt = Instant::fromMSecsSinceEpoch(7'000);
    prime(threeFolders, {makeTask("a"), task, makeTask("z", TaskStatus::done)});

    TaskItem fromService = task;
    fromService.status = c.to;
    fromService.title = QStringLiteral("как сохранил сервис");
    answer(fromService);
    transport->setHeld(true);
    const Instant before = Instant::now();
    auto running = vm.toggleDone(task);
    const TaskItem& optimistic = vm.tasks()[1];
    EXPECT_EQ(optimistic.status, c.to);
    EXPECT_EQ(optimistic.title, task.title);
    if (c.to == TaskStatus::done) {
        EXPECT_TRUE(optimistic.completedAt && *optimistic.completedAt >= before);
    } else {
        EXPECT_FALSE(optimistic.completedAt);
    }
    EXPECT_EQ(taskIds(), (QStringList{"a", "t1", "z"})); // not re-sorted

    transport->release();
    wait(std::move(running));
    EXPECT_EQ(vm.tasks()[1], fromService);
    EXPECT_EQ(newRequests(), QStringList{c.request});
    if (c.to == TaskStatus::todo) {
        EXPECT_EQ(lastBody(), (QJsonObject{{"status", "TODO"}}));
    } else {
        EXPECT_FALSE(transport->requests().last().body);
    }
    EXPECT_FALSE(vm.errorText());
}

INSTANTIATE_TEST_SUITE_P(
    AppViewModel, ToggleDone,
    testing::Values(ToggleCase{TaskStatus::todo, TaskStatus::done, "POST /tasks/t1/complete"},
                    ToggleCase{TaskStatus::inbox, TaskStatus::done, "POST /tasks/t1/complete"},
                    ToggleCase{TaskStatus::inProgress, TaskStatus::done, "POST /tasks/t1/complete"},
                    ToggleCase{TaskStatus::postponed, TaskStatus::done, "POST /tasks/t1/complete"},
                    ToggleCase{TaskStatus::cancelled, TaskStatus::done, "POST /tasks/t1/complete"},
                    ToggleCase{TaskStatus::done, TaskStatus::todo, "PATCH /tasks/t1"}));

TEST_F(AppViewModelTest, Toggle_failure_puts_the_task_back_as_given) {
    const TaskItem task = makeTask("t1");
    prime(threeFolders, {makeTask("a"), task});
    answerStatus(500, "nope");
    wait(vm.toggleDone(task));
    EXPECT_EQ(vm.tasks()[1], task);
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));

    answerStatus(200, "not json");
    wait(vm.toggleDone(task));
    EXPECT_EQ(vm.tasks()[1], task);
    EXPECT_TRUE(vm.errorText()->startsWith(QStringLiteral("Не удалось обновить статус: ")));
}

TEST_F(AppViewModelTest, Toggle_of_a_task_no_longer_listed_sends_nothing) {
    prime(threeFolders, {makeTask("a")});
    PropertyLog log(&vm);
    wait(vm.toggleDone(makeTask("gone")));
    EXPECT_TRUE(newRequests().isEmpty());
    EXPECT_TRUE(log.entries.isEmpty());
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

TEST_F(AppViewModelTest, Failed_delete_restores_the_whole_saved_list) {
    prime(threeFolders, {makeTask("a"), makeTask("b")});
    answerStatus(403, "forbidden");
    transport->setHeld(true);
    auto deleting = vm.deleteTask(vm.tasks()[0]);
    TaskItem b = vm.tasks()[0];
    b.title = QStringLiteral("изменено тем временем");
    answer(b);
    auto toggling = vm.toggleDone(vm.tasks()[0]); // changes the list meanwhile
    transport->release();
    wait(std::move(deleting));
    wait(std::move(toggling));
    EXPECT_EQ(taskIds(), (QStringList{"a", "b"}));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 403: forbidden"));
}

// MARK: updateTask

TEST_F(AppViewModelTest, Update_sends_the_patch_then_reloads) {
    prime(threeFolders, {makeTask("t1")});
    const Instant due = Instant::fromMSecsSinceEpoch(1'767'225'600'000); // 2026-01-01T00:00Z
    answer(makeTask("t1"));
    answer(QList<TaskItem>{});
    wait(vm.updateTask("t1", " Название ", QString(), TaskStatus::inProgress, Priority::high, "f2",
                       due, true));
    EXPECT_EQ(newRequests(), (QStringList{"PATCH /tasks/t1", "GET /tasks?folderId=f1"}));
    const auto patch =
        QJsonDocument::fromJson(*transport->requests()[transport->requests().size() - 2].body)
            .object();
    EXPECT_EQ(patch, (QJsonObject{{"title", " Название "},
                                  {"status", "IN_PROGRESS"},
                                  {"priority", "HIGH"},
                                  {"folderId", "f2"},
                                  {"body", ""},
                                  {"dueDate", "2026-01-01T00:00:00.000Z"},
                                  {"hasDeadline", true}}));
    EXPECT_TRUE(vm.tasks().isEmpty());
}

TEST_F(AppViewModelTest, Update_without_deadline_sends_no_date_and_a_failure_reloads_nothing) {
    prime(threeFolders, {makeTask("t1")});
    answerStatus(500, "nope");
    wait(vm.updateTask("t1", "x", std::nullopt, TaskStatus::todo, Priority::none, std::nullopt,
                       Instant::now(), false));
    EXPECT_EQ(newRequests(), QStringList{"PATCH /tasks/t1"});
    EXPECT_EQ(
        lastBody(),
        (QJsonObject{
            {"title", "x"}, {"status", "TODO"}, {"priority", "NONE"}, {"hasDeadline", false}}));
    EXPECT_EQ(taskIds(), QStringList{"t1"});
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));
}

// MARK: folders

TEST_F(AppViewModelTest, Blank_folder_name_sends_and_reports_nothing) {
    prime(threeFolders, {});
    PropertyLog log(&vm);
    wait(vm.createFolder(" \n\t "));
    EXPECT_TRUE(newRequests().isEmpty());
    EXPECT_TRUE(log.entries.isEmpty());
}

TEST_F(AppViewModelTest, Create_folder_sends_the_trimmed_name_and_reloads_folders) {
    prime(threeFolders, {});
    const Folder created = makeFolder("f4", QStringLiteral("Дача"));
    answer(created);
    answer(threeFolders + QList<Folder>{created});
    wait(vm.createFolder("  Дача\n"));
    EXPECT_EQ(newRequests(), (QStringList{"POST /folders", "GET /folders"}));
    EXPECT_EQ(QJsonDocument::fromJson(*transport->requests()[transport->requests().size() - 2].body)
                  .object(),
              (QJsonObject{{"name", "Дача"}}));
    EXPECT_EQ(vm.folders().size(), 4);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));

    answerStatus(409, "exists");
    wait(vm.createFolder("Дача"));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 409: exists"));
    EXPECT_EQ(newRequests(), QStringList{"POST /folders"});
}

struct DeleteFolderCase {
    const char* name;
    QString folder;
    std::optional<QString> moveTo;
    bool deleteTasks;
    QString request;
    QString selectedAfter;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DeleteFolderCase& c, std::ostream* out) {
    *out << c.name;
}

class DeleteFolder : public AppViewModelTest,
                     public testing::WithParamInterface<DeleteFolderCase> {};

TEST_P(DeleteFolder, Sends_the_query_reloads_and_reselects_only_when_needed) {
    const DeleteFolderCase& c = GetParam();
    prime(threeFolders, {});
    QList<Folder> remaining = threeFolders;
    remaining.removeIf([&](const Folder& f) { return f.id == c.folder; });
    const Folder deleted = *std::find_if(threeFolders.begin(), threeFolders.end(),
                                         [&](const Folder& f) { return f.id == c.folder; });
    answer(deleted);
    answer(remaining);
    answer(QList<TaskItem>{});
    wait(vm.deleteFolder(deleted, c.moveTo, c.deleteTasks));
    EXPECT_EQ(newRequests(),
              (QStringList{c.request, "GET /folders", "GET /tasks?folderId=" + c.selectedAfter}));
    EXPECT_EQ(vm.selectedFolderId(), c.selectedAfter);
    EXPECT_EQ(vm.folders(), remaining);
}

INSTANTIATE_TEST_SUITE_P(
    AppViewModel, DeleteFolder,
    testing::Values(DeleteFolderCase{"selected_with_tasks", "f1", "f3", true,
                                     "DELETE /folders/f1?tasks=delete", "f2"},
                    DeleteFolderCase{"other_moving_tasks", "f2", "f3", false,
                                     "DELETE /folders/f2?tasks=move&to=f3", "f1"},
                    DeleteFolderCase{"move_without_target", "f3", std::nullopt, false,
                                     "DELETE /folders/f3?tasks=move", "f1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppViewModelTest, Deleting_the_only_folder_clears_the_selection) {
    prime({threeFolders[0]}, {});
    answer(threeFolders[0]);
    answer(QList<Folder>{});
    answer(QList<TaskItem>{});
    wait(vm.deleteFolder(threeFolders[0], std::nullopt, true));
    EXPECT_FALSE(vm.selectedFolderId());
    EXPECT_EQ(newRequests().last(), "GET /tasks");
}

TEST_F(AppViewModelTest, Failed_folder_reload_never_selects_the_deleted_folder) {
    prime(threeFolders, {});
    answer(threeFolders[0]);
    answerStatus(502, "bad gateway");
    answer(QList<TaskItem>{});
    wait(vm.deleteFolder(threeFolders[0], std::nullopt, true));
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 502: bad gateway"));
}

TEST_F(AppViewModelTest, Failed_folder_delete_changes_nothing_else) {
    prime(threeFolders, {makeTask("a")});
    PropertyLog log(&vm);
    answerStatus(404, "no such folder");
    wait(vm.deleteFolder(threeFolders[0], std::nullopt, true));
    EXPECT_EQ(log.entries, QStringList{"error=Ошибка 404: no such folder"});
    EXPECT_EQ(newRequests().size(), 1);
}

// MARK: captures

ApplyResult applyResult(const QString& answer) {
    ApplyResult result;
    result.answer = answer;
    return result;
}

TEST_F(AppViewModelTest, Send_announces_in_order_answer_before_the_reload) {
    prime(threeFolders, {});
    answer(applyResult("старый ответ")); // leave an answer and an error line behind
    answer(threeFolders);
    answer(QList<TaskItem>{});
    wait(vm.send("раз"));
    answerStatus(500, "old failure");
    wait(vm.loadTasks());
    newRequests();

    PropertyLog log(&vm);
    answer(applyResult("Создал задачу «купить молоко»"));
    answer(threeFolders);
    answer(QList<TaskItem>{makeTask("milk")});
    wait(vm.send("  купить молоко завтра \n"));
    EXPECT_EQ(log.entries, (QStringList{"busy=true", "status=AI разбирает…", "answer=∅", "error=∅",
                                        "answer=Создал задачу «купить молоко»", "tasks=1",
                                        "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /assistant", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_EQ(QJsonDocument::fromJson(*transport->requests()[transport->requests().size() - 3].body)
                  .object(),
              (QJsonObject{{"text", "купить молоко завтра"}}));
}

TEST_F(AppViewModelTest, Send_failure_announces_error_then_clears_busy) {
    prime(threeFolders, {});
    PropertyLog log(&vm);
    answerStatus(500, "assistant down");
    wait(vm.send("привет"));
    EXPECT_EQ(log.entries,
              (QStringList{"busy=true", "status=AI разбирает…", "error=Ошибка 500: assistant down",
                           "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(), QStringList{"POST /assistant"});
}

TEST_F(AppViewModelTest, Send_of_blank_text_changes_nothing) {
    prime(threeFolders, {});
    answerStatus(500, "x");
    wait(vm.loadTasks());
    newRequests();
    PropertyLog log(&vm);
    wait(vm.send(" \n\t "));
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_TRUE(newRequests().isEmpty());
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: x"));
}

TEST_F(AppViewModelTest, Capture_sends_base64_audio_and_shows_done_without_a_result) {
    prime(threeFolders, {});
    const QByteArray audio("\x00\x01\xfe\xff recording", 15);
    CaptureProcessResponse response;
    response.capture.id = QStringLiteral("c1");
    answer(response);
    answer(threeFolders);
    answer(QList<TaskItem>{});
    PropertyLog log(&vm);
    wait(vm.capture(audio));
    EXPECT_EQ(log.entries, (QStringList{"busy=true", "status=Распознаю и разбираю…",
                                        "answer=Готово", "busy=false", "status=∅"}));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /captures", "GET /folders", "GET /tasks?folderId=f1"}));
    const auto body =
        QJsonDocument::fromJson(*transport->requests()[transport->requests().size() - 3].body)
            .object();
    EXPECT_EQ(body, (QJsonObject{{"audioBase64", QString::fromLatin1(audio.toBase64())},
                                 {"mimeType", "audio/m4a"}}));

    response.result = applyResult("Записал");
    answer(response);
    answer(threeFolders);
    answer(QList<TaskItem>{});
    wait(vm.capture(audio));
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Записал"));
}

TEST_F(AppViewModelTest, Failed_reload_after_a_capture_names_the_reload_and_keeps_the_answer) {
    prime(threeFolders, {});
    answer(applyResult("Готово, удалил"));
    answer(threeFolders);
    answerStatus(200, "[{\"id\":1}]");
    wait(vm.send("удали всё"));
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("Готово, удалил"));
    ASSERT_TRUE(vm.errorText());
    EXPECT_TRUE(vm.errorText()->startsWith(QStringLiteral("Не удалось загрузить задачи: ")))
        << vm.errorText()->toStdString();
    EXPECT_FALSE(vm.isBusy());
    EXPECT_FALSE(vm.statusText());
}

TEST_F(AppViewModelTest, A_capture_in_progress_excludes_the_other) {
    prime(threeFolders, {});
    CaptureProcessResponse response;
    response.result = applyResult("первый");
    answer(response);
    answer(threeFolders);
    answer(QList<TaskItem>{});
    transport->setHeld(true);
    auto first = vm.capture("audio");
    ASSERT_TRUE(vm.isBusy());
    PropertyLog log(&vm);
    wait(vm.send("второй"));
    wait(vm.capture("ещё"));
    EXPECT_TRUE(log.entries.isEmpty());
    transport->release();
    transport->setHeld(false);
    wait(std::move(first));
    EXPECT_EQ(newRequests(),
              (QStringList{"POST /captures", "GET /folders", "GET /tasks?folderId=f1"}));
    EXPECT_FALSE(vm.isBusy());
    EXPECT_EQ(vm.assistantAnswer(), QStringLiteral("первый"));
}

// MARK: lifetime

TEST_F(AppViewModelTest, Actions_outliving_the_view_model_leave_it_alone) {
    auto doomed = std::make_unique<AppViewModel>(&session);
    answer(threeFolders);
    wait(doomed->loadFolders());
    answer(QList<TaskItem>{makeTask("a"), makeTask("b")});
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
    transport->setHeld(false);
    for (auto& task : running)
        wait(std::move(task));
    // Nothing was sent after the answers: no reload ran for a view model that is gone.
    EXPECT_EQ(transport->requests().size(), 2 + 6);
}

} // namespace
