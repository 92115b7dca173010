#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include "AacTone.h"
#include "LoopbackService.h"
#include "RawConnection.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelCore/client/RequestRefusal.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

// The real API client, over the real network stack, against the service on loopback.
class ContractTest : public testing::Test {
protected:
    APIClient anonymous() const { return APIClient(service.baseURL(), transport); }
    APIClient signedIn() {
        if (!auth)
            auth = awaitTask(anonymous().loginYandex(QStringLiteral("yandex-token")));
        return APIClient(service.baseURL(), transport, auth->accessToken);
    }
    template <class T>
    static int failure(QCoro::Task<T> task) {
        const APIError error = failureOf<APIError>(std::move(task));
        return error.kind() == APIError::Kind::unauthorized ? 401 : error.status();
    }

    LoopbackService service;
    std::shared_ptr<HTTPTransport> transport = std::make_shared<NetworkTransport>();
    std::optional<AuthResponse> auth;
};

TEST_F(ContractTest, SignInMeAndRefreshRotation) {
    const AuthResponse first = awaitTask(anonymous().loginYandex(QStringLiteral("any")));
    EXPECT_TRUE(first.created);
    EXPECT_GT(first.refreshExpiresAt, first.accessExpiresAt);
    const AuthResponse again = awaitTask(anonymous().loginYandex(QStringLiteral("other")));
    EXPECT_FALSE(again.created);
    EXPECT_EQ(again.user, first.user);
    EXPECT_NE(again.accessToken, first.accessToken);

    EXPECT_EQ(awaitTask(APIClient(service.baseURL(), transport, first.accessToken).me()),
              first.user);

    const AuthResponse renewed = awaitTask(anonymous().refresh(first.refreshToken));
    EXPECT_NE(renewed.refreshToken, first.refreshToken);
    EXPECT_EQ(failure(anonymous().refresh(first.refreshToken)), 401);
    // Each sign-in ends the oldest session beyond the ones kept.
    for (qsizetype i = 0; i < AuthService::sessionsKept; ++i)
        awaitTask(anonymous().loginYandex(QStringLiteral("more")));
    EXPECT_EQ(failure(anonymous().refresh(renewed.refreshToken)), 401);
    EXPECT_EQ(failure(anonymous().me()), 401);
    EXPECT_EQ(failure(anonymous().loginYandex(QString())), 400);
}

// The start page's button signs in and redirects to the application with a pair that works.
// Only a post of that page's own form does: another site's page can neither pass for it nor
// read its one-time token, and a refused post mints nothing (each sign-in ends the oldest).
TEST_F(ContractTest, OnlyTheStartPagesOwnFormSignsIn) {
    const AuthResponse window = awaitTask(anonymous().loginYandex(QStringLiteral("window")));
    const QByteArray port = QByteArray::number(service.port());
    const QByteArray own = "Origin: http://127.0.0.1:" + port + "\r\n";
    RawConnection browser(service.port());
    QByteArray action;
    const auto form = [&] { // what a browser posts for the page's button
        const QByteArray page = browser.request("GET", "/auth/yandex/start").body;
        const auto quoted = [&](const QByteArray& prefix) {
            const qsizetype at = page.indexOf(prefix) + prefix.size();
            return page.mid(at, page.indexOf('"', at) - at);
        };
        action = QUrl(QStringLiteral("/auth/yandex/start"))
                     .resolved(QUrl(QString::fromUtf8(quoted("action=\""))))
                     .toEncoded();
        return quoted("type=\"hidden\" name=\"") + '=' + quoted("value=\"");
    };
    const auto post = [&](const QByteArray& body, const QByteArray& headers) {
        return browser.request("POST", action, body, headers).status;
    };
    const std::pair<QByteArray, bool> refused[]{
        {"Origin: https://evil.example\r\n", true},
        {"Origin: http://127.0.0.1:1" + port + "\r\n", true},
        {"Origin: null\r\n", true},
        {"Sec-Fetch-Site: cross-site\r\n", true},
        {"Sec-Fetch-Site: same-site\r\n", true},
        {own, false}, // no token
    };
    for (qsizetype i = 0; i <= AuthService::sessionsKept; ++i) {
        const auto& [headers, withToken] = refused[i % std::size(refused)];
        ASSERT_EQ(post(withToken ? form() : "formToken=", headers), 403) << headers.constData();
    }
    EXPECT_FALSE(awaitTask(anonymous().refresh(window.refreshToken)).accessToken.isEmpty());

    const QByteArray body = form();
    const auto redirect = browser.request("POST", action, body, own);
    const QUrl callback = QUrl::fromEncoded(RawConnection::header("location", redirect.head));
    ASSERT_EQ(callback.scheme(), QStringLiteral("ondrel"));
    const QUrlQuery query(callback);
    const APIClient api(service.baseURL(), transport,
                        query.queryItemValue(QStringLiteral("access")));
    EXPECT_EQ(awaitTask(api.me()).id, QString::fromLatin1(AuthService::demoUserId));
    EXPECT_FALSE(awaitTask(anonymous().refresh(query.queryItemValue(QStringLiteral("refresh"))))
                     .accessToken.isEmpty());
    EXPECT_EQ(post(body, own), 403); // spent
    EXPECT_EQ(post(form(), "Sec-Fetch-Site: same-origin\r\n"), 302);
    EXPECT_EQ(post(form(), {}), 302); // no browser: the token alone

    const QByteArray stale = form();
    service.advance(FormTokens::lifetime);
    EXPECT_EQ(post(stale, own), 403);
    const QByteArray oldest = form();
    for (qsizetype i = 0; i < FormTokens::kept; ++i)
        form();
    EXPECT_EQ(post(oldest, own), 403);
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
    const QList<Folder> listed = awaitTask(api.listFolders());
    EXPECT_EQ(listed.mid(listed.size() - 2), (QList<Folder>{garden, trips}));
    EXPECT_EQ(failure(api.createFolder(FolderCreateBody{.name = QStringLiteral("дача")})), 409);

    const TaskItem seed = awaitTask(
        api.createTask(TaskCreateBody{.title = QStringLiteral("полить"), .folderId = garden.id}));
    const TaskItem other = awaitTask(
        api.createTask(TaskCreateBody{.title = QStringLiteral("билеты"), .folderId = trips.id}));

    // The cursor has whole seconds: each step happens in a later second of the service. The
    // move reaches sync as the folder's tombstone and the one task it moved.
    service.advance(std::chrono::seconds{2});
    const Instant cursor = awaitTask(api.syncPull()).serverTime;
    service.advance(std::chrono::seconds{2});
    const Folder moved = awaitTask(api.deleteFolder(garden.id, QStringLiteral("move"), trips.id));
    EXPECT_EQ(awaitTask(api.listTasks(trips.id)).size(), 2);
    for (const Folder& listed : awaitTask(api.listFolders()))
        EXPECT_NE(listed.id, moved.id);
    const SyncPullResponse delta = awaitTask(api.syncPull(cursor));
    EXPECT_EQ(delta.folders, QList<Folder>{moved});
    ASSERT_EQ(delta.tasks.size(), 1);
    EXPECT_EQ(delta.tasks[0].id, seed.id);
    EXPECT_EQ(delta.tasks[0].folderId, trips.id);

    awaitTask(api.deleteFolder(trips.id, QStringLiteral("move"))); // no target: no folder
    for (const TaskItem& task : awaitTask(api.listTasks()))
        EXPECT_FALSE((task.id == seed.id || task.id == other.id) && task.folderId)
            << task.title.toStdString();

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

    const TaskItem patched = awaitTask(api.patchTask(
        created.id, TaskPatchBody{.title = QStringLiteral("Отчёт за май"), .hasDeadline = false}));
    EXPECT_EQ(patched.title, QStringLiteral("Отчёт за май"));
    EXPECT_FALSE(patched.hasDeadline);
    EXPECT_EQ(patched.body, created.body); // absent fields stay as they were
    EXPECT_EQ(patched.priority, Priority::high);
    EXPECT_EQ(patched.dueDate, due);
    EXPECT_GT(patched.serverUpdatedAt, created.serverUpdatedAt);

    const TaskItem done = awaitTask(api.completeTask(created.id));
    EXPECT_EQ(done.status, TaskStatus::done);
    EXPECT_TRUE(done.completedAt.has_value());
    EXPECT_EQ(awaitTask(api.listTasks(inbox.id, TaskStatus::done)), QList<TaskItem>{done});

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

// A POST resent with its Idempotency-Key after a lost answer gets the first answer and makes
// nothing twice; without a key, or with another, it runs again.
TEST_F(ContractTest, AResendWithTheSameKeyRunsOnce) {
    const APIClient client = signedIn();
    const auto tasks = [&] { return awaitTask(client.listTasks()).size(); };
    const qsizetype before = tasks();
    const FolderCreateBody dacha{QStringLiteral("Дача"), std::nullopt};
    const Folder first = awaitTask(client.withIdempotencyKey("k-1").createFolder(dacha));
    EXPECT_EQ(awaitTask(client.withIdempotencyKey("k-1").createFolder(dacha)).id, first.id);
    EXPECT_EQ(failure(client.createFolder(dacha)), 409); // a second "Дача" is refused

    const QString line = QStringLiteral("купить хлеб");
    const ApplyResult asked = awaitTask(client.withIdempotencyKey("k-2").assistantAsk(line));
    EXPECT_EQ(awaitTask(client.withIdempotencyKey("k-2").assistantAsk(line)).answer, asked.answer);
    EXPECT_EQ(tasks(), before + 1);
    awaitTask(client.withIdempotencyKey("k-3").assistantAsk(line));
    EXPECT_EQ(tasks(), before + 2);

    EXPECT_THROW(client.withIdempotencyKey(QStringLiteral("два слова")), RequestRefusal);
}

// A push applies what is newer than the service's copy and hands back the rest as conflicts.
// An offline task may have any id, which then works in paths.
TEST_F(ContractTest, SyncPushAppliesNewerChangesAndReturnsConflicts) {
    const APIClient api = signedIn();
    const TaskItem task =
        awaitTask(api.createTask(TaskCreateBody{.title = QStringLiteral("новая")}));
    const QString offline = QStringLiteral("офлайн/1 ?#%");
    const QString older = Instant{task.updatedAt.time - std::chrono::minutes(1)}.toString();
    const QString newer = Instant{task.updatedAt.time + std::chrono::minutes(1)}.toString();
    const SyncPushResponse pushed = awaitTask(api.syncPush(SyncPushBody{
        .tasks = QList<SyncTaskInput>{
            {.id = task.id, .title = QStringLiteral("старая правка"), .updatedAt = older},
            {.id = offline, .title = QStringLiteral("с ноутбука"), .updatedAt = newer},
            {.id = QStringLiteral("no-title"), .updatedAt = newer},
            {.id = QStringLiteral("bad-folder"),
             .title = QStringLiteral("x"),
             .folderId = QStringLiteral("nope"),
             .updatedAt = newer}}}));
    EXPECT_EQ(pushed.appliedTaskIds, QStringList{offline});
    EXPECT_EQ(pushed.conflictTasks, QList<TaskItem>{task});
    EXPECT_EQ(awaitTask(api.completeTask(offline)).title, QStringLiteral("с ноутбука"));

    // A time that does not read rejects the whole push before any of it is applied.
    EXPECT_EQ(failure(api.syncPush(SyncPushBody{
                  .tasks =
                      QList<SyncTaskInput>{
                          {.id = task.id, .title = QStringLiteral("взлом"), .updatedAt = newer},
                          {.id = task.id, .updatedAt = QStringLiteral("вчера")}}})),
              400);
    const SyncPushResponse applied = awaitTask(api.syncPush(
        SyncPushBody{.tasks = QList<SyncTaskInput>{
                         {.id = task.id, .status = TaskStatus::done, .updatedAt = newer}}}));
    EXPECT_EQ(applied.appliedTaskIds, QStringList{task.id});
    const QList<TaskItem> done = awaitTask(api.listTasks(std::nullopt, TaskStatus::done));
    const auto stored =
        std::find_if(done.begin(), done.end(), [&](const TaskItem& t) { return t.id == task.id; });
    ASSERT_NE(stored, done.end());
    EXPECT_EQ(stored->title, task.title); // neither the conflict nor the rejected push applied
    EXPECT_TRUE(stored->completedAt.has_value());
    EXPECT_EQ(stored->updatedAt.toString(), newer);
    EXPECT_GT(stored->serverUpdatedAt, task.serverUpdatedAt);
}

// A recording is filed as a voice note in the inbox; a reprocess runs the parser on the edited
// text and supersedes the run before.
TEST_F(ContractTest, CapturesAreFiledAndReprocessed) {
    const APIClient api = signedIn();
    // Base64 is read strictly and only AAC is kept: anything else is refused, nothing stored.
    for (const char* bad : {"не base64", "aGVs\nbG8=", "aGVsbG8===", "aGVsbG8=", ""})
        EXPECT_EQ(failure(api.createCapture(QString::fromUtf8(bad), std::nullopt, std::nullopt)),
                  400)
            << bad;
    const QByteArray audio = sineM4a(7.0);
    const CaptureProcessResponse response = awaitTask(api.createCapture(
        QString::fromLatin1(audio.toBase64()), QStringLiteral("audio/m4a"), 7000));
    ASSERT_TRUE(response.run && response.result);
    EXPECT_EQ(response.capture.status, CaptureStatus::processed);
    ASSERT_EQ(response.result->tasks.size(), 1);
    const TaskItem& note = response.result->tasks.first();
    EXPECT_EQ(note.title, QStringLiteral("Голосовая заметка (0:07)"));
    EXPECT_EQ(note.type, TaskType::note);
    EXPECT_EQ(note.source, SourceKind::voice);
    EXPECT_EQ(note.folderId, awaitTask(api.listFolders()).first().id);
    EXPECT_TRUE(response.result->answer.contains(QStringLiteral("не распознаёт речь")));
    EXPECT_EQ(awaitTask(api.listCaptures()), QList<Capture>{response.capture});

    const ReprocessResponse again =
        awaitTask(api.reprocess(response.capture.id, QStringLiteral("купить молоко завтра")));
    ASSERT_TRUE(again.run && again.result);
    EXPECT_EQ(again.run->attemptNo, 2);
    EXPECT_EQ(again.run->inputType, RunInput::editedText);
    EXPECT_EQ(again.run->editedTranscript, QStringLiteral("купить молоко завтра"));
    EXPECT_EQ(again.result->tasks.first().title, QStringLiteral("Купить молоко"));
    const CaptureWithRuns history = awaitTask(api.getCapture(response.capture.id));
    ASSERT_EQ(history.runs.size(), 2);
    EXPECT_EQ(history.runs.first().supersededById, again.run->id);
    EXPECT_EQ(history.capture.latestRunId, again.run->id);

    EXPECT_EQ(failure(api.getCapture(QStringLiteral("no such"))), 404);
    EXPECT_EQ(failure(api.reprocess(response.capture.id)), 400);
}

} // namespace
