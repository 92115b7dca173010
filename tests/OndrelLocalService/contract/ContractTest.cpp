#include "support/QtPrinters.h"

#include "AacTone.h"
#include "ContractFixture.h"
#include "HttpCall.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

TEST_F(ContractTest, SignInMeAndRefreshRotation) {
    const AuthResponse first = awaitTask(anonymous().loginYandex(QStringLiteral("any")));
    EXPECT_TRUE(first.created);
    EXPECT_GT(first.refreshExpiresAt, first.accessExpiresAt);
    const AuthResponse again = awaitTask(anonymous().loginYandex(QStringLiteral("other")));
    EXPECT_FALSE(again.created);
    EXPECT_EQ(again.user, first.user);
    EXPECT_NE(again.accessToken, first.accessToken);

    const User me = awaitTask(APIClient(service.baseURL(), transport, first.accessToken).me());
    EXPECT_EQ(me, first.user);

    const AuthResponse renewed = awaitTask(anonymous().refresh(first.refreshToken));
    EXPECT_NE(renewed.refreshToken, first.refreshToken);
    EXPECT_EQ(failure(anonymous().refresh(first.refreshToken)), 401);
    EXPECT_EQ(failure(anonymous().me()), 401);
    EXPECT_EQ(failure(anonymous().loginYandex(QString())), 400);
}

// The start page's button signs in and redirects to the application with a pair that works.
TEST_F(ContractTest, TheStartPageSignsInThroughItsRedirect) {
    QNetworkAccessManager network;
    const QUrl start(service.baseURL().toString() + QStringLiteral("/auth/yandex/start"));
    const QByteArray page = httpCall(network, start, "GET").body;
    EXPECT_TRUE(page.contains("<button"));
    const qsizetype at = page.indexOf("action=\"") + 8;
    const QUrl action =
        start.resolved(QUrl(QString::fromUtf8(page.mid(at, page.indexOf('"', at) - at))));
    const QUrl callback = QUrl::fromEncoded(httpCall(network, action, "POST").location);
    ASSERT_EQ(callback.scheme(), QStringLiteral("ondrel"));
    const QUrlQuery query(callback);
    const APIClient api(service.baseURL(), transport,
                        query.queryItemValue(QStringLiteral("access")));
    EXPECT_EQ(awaitTask(api.me()).id, QString::fromLatin1(AuthService::demoUserId));
    EXPECT_FALSE(awaitTask(anonymous().refresh(query.queryItemValue(QStringLiteral("refresh"))))
                     .accessToken.isEmpty());
}

TEST_F(ContractTest, FoldersListCreateAndDelete) {
    const APIClient api = signedIn();
    const QList<Folder> seeded = awaitTask(api.listFolders());
    ASSERT_FALSE(seeded.isEmpty());
    EXPECT_EQ(seeded.first().name, QStringLiteral("Входящие"));
    EXPECT_TRUE(seeded.first().isSystem);

    const Folder garden = awaitTask(api.createFolder(
        FolderCreateBody{.name = QStringLiteral("Дача"), .description = QStringLiteral("лето")}));
    const Folder trips =
        awaitTask(api.createFolder(FolderCreateBody{.name = QStringLiteral("Поездки")}));
    EXPECT_EQ(garden.description, QStringLiteral("лето"));
    const QList<Folder> listed = awaitTask(api.listFolders());
    EXPECT_EQ(listed.mid(listed.size() - 2), (QList<Folder>{garden, trips}));
    EXPECT_EQ(failure(api.createFolder(FolderCreateBody{.name = QStringLiteral("дача")})), 409);

    const TaskItem seed = awaitTask(
        api.createTask(TaskCreateBody{.title = QStringLiteral("полить"), .folderId = garden.id}));
    const TaskItem other = awaitTask(
        api.createTask(TaskCreateBody{.title = QStringLiteral("билеты"), .folderId = trips.id}));

    const Folder moved = awaitTask(api.deleteFolder(garden.id, QStringLiteral("move"), trips.id));
    EXPECT_TRUE(moved.deleted);
    EXPECT_EQ(awaitTask(api.listTasks(trips.id)).size(), 2);
    for (const Folder& listed : awaitTask(api.listFolders()))
        EXPECT_NE(listed.id, moved.id);

    awaitTask(api.deleteFolder(trips.id, QStringLiteral("move"))); // no target: no folder
    const QList<TaskItem> loose = awaitTask(api.listTasks());
    for (const TaskItem& task : loose) {
        if (task.id == seed.id || task.id == other.id) {
            EXPECT_FALSE(task.folderId.has_value());
        }
    }

    EXPECT_EQ(failure(api.deleteFolder(trips.id, QStringLiteral("delete"))), 404);
    // Deleting a folder with its tasks leaves tombstones for sync.
    const Folder old =
        awaitTask(api.createFolder(FolderCreateBody{.name = QStringLiteral("Старое")}));
    const TaskItem gone = awaitTask(
        api.createTask(TaskCreateBody{.title = QStringLiteral("забыть"), .folderId = old.id}));
    awaitTask(api.deleteFolder(old.id, QStringLiteral("delete")));
    EXPECT_TRUE(awaitTask(api.listTasks(old.id)).isEmpty());
    const QList<TaskItem> pulled = awaitTask(api.syncPull()).tasks;
    EXPECT_TRUE(std::any_of(pulled.begin(), pulled.end(),
                            [&](const TaskItem& t) { return t.id == gone.id && t.deleted; }));
    EXPECT_EQ(failure(api.deleteFolder(seeded.first().id, QStringLiteral("delete"))), 409);
}

TEST_F(ContractTest, TasksCreateFilterPatchCompleteAndDelete) {
    const APIClient api = signedIn();
    const Folder inbox = awaitTask(api.listFolders()).first();
    const Instant due = Instant::fromMSecsSinceEpoch(1'790'000'000'250);
    const TaskItem created =
        awaitTask(api.createTask(TaskCreateBody{.title = QStringLiteral("Отчёт"),
                                                .folderId = inbox.id,
                                                .priority = Priority::high,
                                                .body = QStringLiteral("к пятнице"),
                                                .dueDate = due}));
    EXPECT_EQ(created.dueDate, due);
    EXPECT_TRUE(created.hasDeadline);
    EXPECT_EQ(created.source, SourceKind::manual);

    const TaskItem patched = awaitTask(
        api.patchTask(created.id, TaskPatchBody{.title = QStringLiteral("Отчёт за май")}));
    EXPECT_EQ(patched.title, QStringLiteral("Отчёт за май"));
    EXPECT_EQ(patched.body, created.body); // absent fields stay as they were
    EXPECT_EQ(patched.priority, Priority::high);
    EXPECT_EQ(patched.dueDate, due);
    EXPECT_GT(patched.serverUpdatedAt, created.serverUpdatedAt);

    const TaskItem done = awaitTask(api.completeTask(created.id));
    EXPECT_EQ(done.status, TaskStatus::done);
    EXPECT_TRUE(done.completedAt.has_value());
    EXPECT_EQ(awaitTask(api.listTasks(inbox.id, TaskStatus::done)), QList<TaskItem>{done});
    EXPECT_FALSE(awaitTask(api.listTasks(std::nullopt, TaskStatus::todo)).contains(done));

    const TaskItem reopened =
        awaitTask(api.patchTask(created.id, TaskPatchBody{.status = TaskStatus::todo}));
    EXPECT_FALSE(reopened.completedAt.has_value());

    const TaskItem removed = awaitTask(api.deleteTask(created.id));
    EXPECT_TRUE(removed.deleted);
    for (const TaskItem& listed : awaitTask(api.listTasks(inbox.id)))
        EXPECT_NE(listed.id, removed.id);
    EXPECT_EQ(failure(api.completeTask(created.id)), 404);
    EXPECT_EQ(failure(api.patchTask(QStringLiteral("no such"), {})), 404);
    EXPECT_EQ(failure(api.createTask(TaskCreateBody{.title = QStringLiteral("x"),
                                                    .folderId = QStringLiteral("nope")})),
              400);
}

TEST_F(ContractTest, SyncPullSinceAndPushWithConflicts) {
    const APIClient api = signedIn();
    const SyncPullResponse all = awaitTask(api.syncPull());
    EXPECT_FALSE(all.folders.isEmpty());
    EXPECT_FALSE(all.tasks.isEmpty());

    const TaskItem task =
        awaitTask(api.createTask(TaskCreateBody{.title = QStringLiteral("новая")}));
    const SyncPullResponse next = awaitTask(api.syncPull(all.serverTime));
    // The client's cursor has whole seconds, so changes it already has may come again; the new
    // one must come.
    EXPECT_TRUE(next.tasks.contains(task));
    for (const TaskItem& repeated : next.tasks)
        EXPECT_TRUE(repeated == task || all.tasks.contains(repeated));
    for (const Folder& repeated : next.folders)
        EXPECT_TRUE(all.folders.contains(repeated));

    const QString older = Instant{task.updatedAt.time - std::chrono::minutes(1)}.toString();
    const QString newer = Instant{task.updatedAt.time + std::chrono::minutes(1)}.toString();
    const SyncPushResponse pushed = awaitTask(api.syncPush(SyncPushBody{
        .tasks = QList<SyncTaskInput>{
            {.id = task.id, .title = QStringLiteral("старая правка"), .updatedAt = older},
            {.id = QStringLiteral("offline"),
             .title = QStringLiteral("с ноутбука"),
             .updatedAt = newer}}}));
    EXPECT_EQ(pushed.appliedTaskIds, QStringList{QStringLiteral("offline")});
    EXPECT_EQ(pushed.conflictTasks, QList<TaskItem>{task});
    EXPECT_GE(pushed.serverTime, next.serverTime);

    const SyncPushResponse applied = awaitTask(api.syncPush(
        SyncPushBody{.tasks = QList<SyncTaskInput>{
                         {.id = task.id, .status = TaskStatus::done, .updatedAt = newer}}}));
    EXPECT_EQ(applied.appliedTaskIds, QStringList{task.id});
    const QList<TaskItem> done = awaitTask(api.listTasks(std::nullopt, TaskStatus::done));
    const auto stored =
        std::find_if(done.begin(), done.end(), [&](const TaskItem& t) { return t.id == task.id; });
    ASSERT_NE(stored, done.end());
    EXPECT_EQ(stored->title, task.title); // the conflicting change was not applied
    EXPECT_TRUE(stored->completedAt.has_value());
    EXPECT_EQ(stored->updatedAt.toString(), newer);
    EXPECT_GT(stored->serverUpdatedAt, task.serverUpdatedAt);
    EXPECT_TRUE(awaitTask(api.syncPush(SyncPushBody{})).appliedTaskIds.isEmpty());
}

// A recording is filed as a voice note in the inbox; a reprocess runs the parser on the edited
// text and supersedes the run before.
TEST_F(ContractTest, CapturesAreFiledAndReprocessed) {
    const APIClient api = signedIn();
    const QByteArray audio = sineM4a(7.0);
    const CaptureProcessResponse response = awaitTask(api.createCapture(
        QString::fromLatin1(audio.toBase64()), QStringLiteral("audio/m4a"), 7000));
    ASSERT_TRUE(response.run && response.result);
    EXPECT_EQ(response.capture.status, CaptureStatus::processed);
    EXPECT_EQ(response.capture.latestRunId, response.run->id);
    EXPECT_EQ(response.run->inputType, RunInput::audio);
    ASSERT_EQ(response.result->tasks.size(), 1);
    const TaskItem& note = response.result->tasks.first();
    EXPECT_EQ(note.title, QStringLiteral("Голосовая заметка (0:07)"));
    EXPECT_EQ(note.type, TaskType::note);
    EXPECT_EQ(note.source, SourceKind::voice);
    EXPECT_EQ(note.folderId, awaitTask(api.listFolders()).first().id);
    EXPECT_EQ(response.run->resultingTaskId, note.id);
    EXPECT_TRUE(response.result->answer.contains(QStringLiteral("не распознаёт речь")));
    EXPECT_EQ(awaitTask(api.listCaptures()), QList<Capture>{response.capture});

    const ReprocessResponse again =
        awaitTask(api.reprocess(response.capture.id, QStringLiteral("купить молоко завтра")));
    ASSERT_TRUE(again.run && again.result);
    EXPECT_EQ(again.run->attemptNo, 2);
    EXPECT_EQ(again.run->inputType, RunInput::editedText);
    EXPECT_EQ(again.run->editedTranscript, QStringLiteral("купить молоко завтра"));
    EXPECT_EQ(again.result->tasks.first().title, QStringLiteral("Купить молоко"));
    EXPECT_EQ(again.run->resultingTaskId, again.result->tasks.first().id);
    const CaptureWithRuns history = awaitTask(api.getCapture(response.capture.id));
    ASSERT_EQ(history.runs.size(), 2);
    EXPECT_EQ(history.runs.first().supersededById, again.run->id);
    EXPECT_FALSE(history.runs.last().supersededById.has_value());
    EXPECT_EQ(history.capture.latestRunId, again.run->id);

    EXPECT_EQ(failure(api.createCapture(QStringLiteral("не base64"), std::nullopt, std::nullopt)),
              400);
    EXPECT_EQ(failure(api.getCapture(QStringLiteral("no such"))), 404);
    EXPECT_EQ(failure(api.reprocess(response.capture.id)), 400);
}

} // namespace
