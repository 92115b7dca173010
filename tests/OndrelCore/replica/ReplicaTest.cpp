#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/ChangeQueue.h"
#include "OndrelCore/replica/DiskReplica.h"
#include "OndrelCore/replica/LocalStore.h"
#include "OndrelCore/replica/Outbox.h"
#include "OndrelCore/replica/ReplicaFile.h"
#include "OndrelCore/replica/SyncEngine.h"
#include "OndrelCore/replica/SyncLoop.h"
#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/Files.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <memory>
#include <variant>

namespace {

const QString inbox = QStringLiteral("inbox");
const QString work = QStringLiteral("work");

template <class Record>
Record deleted(Record record) {
    record.deleted = true;
    return record;
}

// A tombstone is kept but listed nowhere; one that comes back to life (a restore on the
// service) shows again.
TEST(LocalStore, TombstonesAreKeptButNotListed) {
    LocalStore store({makeFolder("inbox"), makeFolder("work", 1)},
                     {makeTask("a", inbox), makeTask("b", inbox), makeTask("c")});
    store.applyPull({.folders = {deleted(makeFolder("work", 1))},
                     .tasks = {deleted(makeTask("b", inbox))},
                     .serverTime = day(2)});
    store.upsert(deleted(makeTask("c")));
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"inbox"}));
    EXPECT_TRUE(store.folder(work)->deleted);
    for (const TaskSort sort : {TaskSort::createdDesc, TaskSort::dueAsc}) {
        EXPECT_EQ(idsOf(store.tasks(inbox, sort)), QStringList({"a"}));
        EXPECT_EQ(idsOf(store.tasks(std::nullopt, sort)), QStringList({"a"}));
    }
    EXPECT_EQ(store.tasksById().size(), 3);

    store.applyPull(
        {.folders = {makeFolder("work", 1)}, .tasks = {makeTask("b", inbox)}, .serverTime = {}});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"inbox", "work"}));
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)), QStringList({"a", "b"}));
}

// The last record written under an id wins, whatever its age, and keeps the place first seen.
// Folders go by sort order, then creation. Folder ids match exactly ("" is a folder, not "no
// folder"); tasks follow their moves between folders, into and out of "no folder".
TEST(LocalStore, ListsInOrderTheLastWriteOfEachId) {
    TaskItem a = makeTask("a", inbox, day(3));
    a.updatedAt = a.serverUpdatedAt = day(20);
    LocalStore store({makeFolder("late0", 0, day(5)), makeFolder("minus", 9),
                      makeFolder("early0", 0, day(2)), makeFolder("minus", -1, day(9))},
                     {a, makeTask("b", work, day(3)), makeTask("c", inbox, day(3)),
                      makeTask("d", std::nullopt, day(3)), makeTask("e", work, day(3)),
                      makeTask("E", QStringLiteral("INBOX")),
                      makeTask("empty", QString(), day(2), day(9))});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"minus", "early0", "late0"}));
    store.upsert(makeTask("e", inbox, day(3)));
    store.upsert(makeTask("a", work, day(3)));
    store.applyPull({.folders = {},
                     .tasks = {makeTask("d", inbox, day(3)), makeTask("c", std::nullopt, day(3)),
                               makeTask("f", inbox, day(4), day(5))},
                     .serverTime = {}});
    store.upsert(makeTask("a", work, day(3))); // unchanged folder: listed once
    EXPECT_EQ(*store.task(QStringLiteral("a")), makeTask("a", work, day(3)));
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)), QStringList({"f", "d", "e"}));
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::dueAsc)), QStringList({"f", "d", "e"}));
    EXPECT_EQ(idsOf(store.tasks(work, TaskSort::dueAsc)), QStringList({"a", "b"}));
    EXPECT_EQ(idsOf(store.tasks(QString(), TaskSort::createdDesc)), QStringList({"empty"}));
    EXPECT_EQ(idsOf(store.tasks(QStringLiteral("none"), TaskSort::createdDesc)), QStringList());
    EXPECT_EQ(idsOf(store.tasks(std::nullopt, TaskSort::dueAsc)),
              QStringList({"f", "empty", "a", "b", "c", "d", "e", "E"}));
}

// The audio of each request, in order: which captures went out.
QStringList sentAudio(const FakeTransport& transport) {
    QStringList audio;
    for (const HTTPRequest& request : transport.requests())
        audio.append(QJsonDocument::fromJson(*request.body)["audioBase64"].toString());
    return audio;
}

const CaptureProcessResponse* response(const Outbox::Outcome& outcome) {
    return std::get_if<CaptureProcessResponse>(&outcome);
}

template <class Error>
std::optional<Error> failure(const Outbox::Outcome& outcome) {
    try {
        std::rethrow_exception(std::get<std::exception_ptr>(outcome));
    } catch (const Error& caught) {
        return caught;
    } catch (...) {
    }
    return std::nullopt;
}

// An API client whose every answer the test scripts.
struct Scripted : testing::Test {
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    APIClient api{QUrl(QStringLiteral("https://tasks.example")), transport, QStringLiteral("tok")};

    void awaitRequests(qsizetype count) {
        ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == count; }));
    }
};

struct OutboxTest : Scripted {
    // Once the script is used up, the service accepts every capture.
    void acceptEverything() {
        transport->setHandler([](const HTTPRequest&) {
            return HTTPResponse{json(acceptedCapture("c")), 200};
        });
    }
};

// Each capture leaves the queue once accepted; a failure of any kind (the service's, the
// network's, an unreadable answer) keeps it for the next flush. Repeated ids are separate
// captures.
TEST_F(OutboxTest, KeepsEveryCaptureThatFailed) {
    Outbox outbox({pendingCapture("a"), pendingCapture("b"), pendingCapture("c", std::nullopt),
                   pendingCapture("a")});
    transport->enqueue(200, json(acceptedCapture("ca")));
    transport->enqueue(500, "boom");
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::HostNotFoundError, QStringLiteral("Host not found"))));
    transport->enqueue(200, "{\"capture\": 1}");
    const QList<Outbox::Outcome> outcomes = awaitTask(outbox.flush(api));
    ASSERT_EQ(outcomes.size(), 4);
    EXPECT_EQ(*response(outcomes[0]), acceptedCapture("ca"));
    EXPECT_EQ(failure<APIError>(outcomes[1]), APIError::http(500, QStringLiteral("boom")));
    EXPECT_EQ(failure<TransportError>(outcomes[2])->error(), QNetworkReply::HostNotFoundError);
    EXPECT_TRUE(failure<DecodingError>(outcomes[3]));
    ASSERT_EQ(outbox.pending(),
              (QList<PendingCapture>{pendingCapture("b"), pendingCapture("c", std::nullopt),
                                     pendingCapture("a")}));

    acceptEverything();
    EXPECT_EQ(awaitTask(outbox.flush(api)).size(), 3);
    EXPECT_TRUE(outbox.pending().isEmpty());
    EXPECT_EQ(sentAudio(*transport),
              QStringList({"AAAAa", "AAAAb", "AAAAc", "AAAAa", "AAAAb", "AAAAc", "AAAAa"}));
}

// A flush started while another waits on the network waits for it, then sends only what is
// still pending: the captures the first kept, ahead of one made meanwhile.
TEST_F(OutboxTest, OverlappingFlushesTakeTurnsAndKeepTheQueueOrder) {
    Outbox outbox({pendingCapture("a"), pendingCapture("b")});
    transport->enqueue(500, "down");
    transport->enqueue(200, json(acceptedCapture("cb")));
    acceptEverything();
    transport->setHeld(true);
    auto first = outbox.flush(api);
    awaitRequests(1);
    auto second = outbox.flush(api);
    outbox.enqueue(pendingCapture("late"));
    EXPECT_EQ(outbox.pending().size(), 3); // nothing leaves before it is accepted
    transport->release();

    EXPECT_EQ(awaitTask(std::move(first)).size(), 2);
    EXPECT_EQ(outbox.pending(),
              (QList<PendingCapture>{pendingCapture("a"), pendingCapture("late")}));
    EXPECT_EQ(awaitTask(std::move(second)).size(), 2);
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb", "AAAAa", "AAAAlate"}));
    EXPECT_TRUE(outbox.pending().isEmpty());
}

TEST_F(OutboxTest, outboxGoneDuringAFlushEndsItQuietly) {
    auto outbox =
        std::make_unique<Outbox>(QList<PendingCapture>{pendingCapture("a"), pendingCapture("b")});
    acceptEverything();
    transport->setHeld(true);
    auto flushing = outbox->flush(api);
    awaitRequests(1);
    outbox.reset();
    transport->release();
    EXPECT_EQ(awaitTask(std::move(flushing)).size(), 1);
    EXPECT_EQ(transport->requests().size(), 1);
}

QByteArray pullJSON(QList<Folder> folders, QList<TaskItem> tasks, Instant serverTime) {
    return json(SyncPullResponse{
        .folders = std::move(folders), .tasks = std::move(tasks), .serverTime = serverTime});
}

std::optional<QString> sinceOf(const HTTPRequest& request) {
    const QUrlQuery query(request.url);
    if (!query.hasQueryItem(QStringLiteral("since")))
        return std::nullopt;
    return query.queryItemValue(QStringLiteral("since"), QUrl::FullyDecoded);
}

struct SyncEngineTest : Scripted {
    std::shared_ptr<Outbox> outbox = std::make_shared<Outbox>();
    SyncEngine engine{api, LocalStore(), outbox};
    const Instant firstTime = at("2024-05-01T10:00:00.750Z");
};

// A failed capture does not fail the run. A failure of any kind in the pull leaves the store and
// the cursor as they were (a flush before it stays done), and the next pull asks from there.
TEST_F(SyncEngineTest, SyncFlushesFirstAndAFailedPullChangesNothing) {
    outbox->enqueue(pendingCapture("p1"));
    transport->enqueue(500, "capture failed");
    transport->enqueue(200, pullJSON({makeFolder("inbox")}, {makeTask("a", inbox)}, firstTime));
    awaitTask(engine.sync());
    ASSERT_EQ(transport->requests().size(), 2);
    EXPECT_EQ(transport->requests()[0].url.path(), QStringLiteral("/captures"));
    EXPECT_EQ(transport->requests()[1].url.path(), QStringLiteral("/sync"));
    EXPECT_EQ(outbox->pending().size(), 1);

    const LocalStore before = engine.store();
    transport->enqueue(200, json(acceptedCapture("c1")));
    transport->enqueue(502, "bad gateway");
    EXPECT_THROW(awaitTask(engine.sync()), APIError);
    EXPECT_TRUE(outbox->pending().isEmpty());
    transport->enqueue(200, "{\"folders\": [], \"tasks\": [{\"id\": 5}], \"serverTime\": \"x\"}");
    EXPECT_THROW(awaitTask(engine.pull()), DecodingError);
    EXPECT_EQ(engine.store().allTasks(), before.allTasks());
    EXPECT_EQ(engine.store().allFolders(), before.allFolders());
    EXPECT_EQ(engine.lastServerTime(), firstTime);
    EXPECT_EQ(sinceOf(transport->requests().back()), QStringLiteral("2024-05-01T10:00:00Z"));
}

// A pull started while another is in flight waits for it and asks from the cursor it left,
// so a late answer can never move the cursor back.
TEST_F(SyncEngineTest, overlappingPullsTakeTurns) {
    const Instant secondTime = at("2024-05-01T11:00:00Z");
    transport->enqueue(200, pullJSON({}, {makeTask("a", inbox)}, firstTime));
    transport->enqueue(200, pullJSON({}, {makeTask("b", inbox)}, secondTime));
    transport->setHeld(true);
    auto first = engine.pull();
    awaitRequests(1);
    auto second = engine.pull();
    transport->release();
    awaitTask(std::move(first));
    awaitTask(std::move(second));
    ASSERT_EQ(transport->requests().size(), 2);
    EXPECT_EQ(sinceOf(transport->requests()[1]), QStringLiteral("2024-05-01T10:00:00Z"));
    EXPECT_EQ(engine.lastServerTime(), secondTime);
    EXPECT_EQ(engine.store().allTasks().size(), 2);
}

TEST_F(SyncEngineTest, engineGoneDuringAPullEndsItQuietly) {
    transport->enqueue(200, pullJSON({}, {makeTask("a", inbox)}, day(1)));
    transport->setHeld(true);
    auto gone = std::make_unique<SyncEngine>(api, LocalStore(), nullptr);
    auto pulling = gone->pull();
    awaitRequests(1);
    gone.reset();
    transport->release();
    awaitTask(std::move(pulling));
}

using Kind = PendingChange::Kind;

PendingChange change(Kind kind, const char* target, QByteArray payload = {}) {
    return PendingChange{.kind = kind, .target = QString::fromUtf8(target), .payload = payload};
}

// A file as the first schema left it, with one task and one queued change.
void writeFirstSchema(const QString& path) {
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "v1");
        database.setDatabaseName(path);
        ASSERT_TRUE(database.open());
        QSqlQuery query(database);
        for (const char* statement :
             {"CREATE TABLE folders (id TEXT PRIMARY KEY, json BLOB NOT NULL)",
              "CREATE TABLE tasks (id TEXT PRIMARY KEY, json BLOB NOT NULL)",
              "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
              "CREATE TABLE queue (seq INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, "
              "target TEXT NOT NULL, payload BLOB NOT NULL)",
              "INSERT INTO queue (kind, target, payload) VALUES (3, 'a', '')",
              "PRAGMA user_version=1"})
            ASSERT_TRUE(query.exec(QString::fromUtf8(statement)));
        query.prepare(QStringLiteral("INSERT INTO tasks (id, json) VALUES ('a', ?)"));
        query.addBindValue(json(makeTask("a", QStringLiteral("inbox"))));
        ASSERT_TRUE(query.exec());
    }
    QSqlDatabase::removeDatabase("v1");
}

// A file of the first schema is migrated in place and keeps its rows; a file from a newer
// build is refused and left as it was. The file is its owner's alone.
TEST(ReplicaFile, MigratesForwardAndNeverDropsWhatItCannotRead) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("replica.sqlite"));
    writeFirstSchema(path);
    {
        ReplicaFile file(path);
        EXPECT_EQ(file.version(), ReplicaFile::schemaVersion);
        EXPECT_EQ(fileMode(path), 0600);
        DiskReplica replica(file);
        ASSERT_TRUE(replica.store().task(QStringLiteral("a")));
        ChangeQueue queue(file, directory.filePath(QStringLiteral("rec")));
        ASSERT_EQ(queue.size(), 1);
        EXPECT_EQ(queue.items()[0].kind, Kind::deleteTask);
        EXPECT_FALSE(queue.items()[0].file);
        QSqlQuery(file.database()).exec(QStringLiteral("PRAGMA user_version=99"));
    }
    const QByteArray newer = readFile(path);
    EXPECT_THROW(ReplicaFile{path}, std::runtime_error);
    EXPECT_EQ(readFile(path), newer);
}

// One row per rule of the queue: sent oldest first; unreachable (no connection, 5xx) stops
// at the head with everything kept and no pull; a refusal (4xx) drops that change only and
// makes the pull a full one so the service's version wins; 401 keeps everything; a folder
// made here hands its service id to the changes queued after it. Each goes with its own key.
TEST(SyncLoop, SendsInOrderAndSettlesEachAnswer) {
    using Answer = std::variant<int, QByteArray>; // a bare status or a 200 body
    const TaskItem serviceA = makeTask("a", QStringLiteral("inbox"));
    const SyncPullResponse pulled{.folders = {}, .tasks = {serviceA}, .serverTime = day(9)};
    const Folder made = makeFolder("f9");
    struct Row {
        const char* name;
        QList<PendingChange> queued;
        QList<Answer> answers; // then the transport fails
        QStringList sent;      // method and path (with query) of every request, in order
        qsizetype left;
        SyncReport::State state;
        QStringList refused;
    };
    const QList<Row> rows{
        {"all accepted",
         {change(Kind::completeTask, "a"), change(Kind::reopenTask, "b"),
          change(Kind::deleteTask, "c")},
         {json(makeTask("a")), json(makeTask("b")), json(makeTask("c")), json(pulled)},
         {"POST /tasks/a/complete", "PATCH /tasks/b", "DELETE /tasks/c",
          "GET /sync?since=2024-01-01T00:00:00Z"},
         0,
         SyncReport::State::synced,
         {}},
        {"no connection",
         {change(Kind::completeTask, "a"), change(Kind::deleteTask, "b")},
         {},
         {"POST /tasks/a/complete"},
         2,
         SyncReport::State::offline,
         {}},
        {"5xx",
         {change(Kind::completeTask, "a"), change(Kind::deleteTask, "b")},
         {503},
         {"POST /tasks/a/complete"},
         2,
         SyncReport::State::offline,
         {}},
        {"4xx refused",
         {change(Kind::completeTask, "a"), change(Kind::deleteTask, "b")},
         {404, json(makeTask("b")), json(pulled)},
         {"POST /tasks/a/complete", "DELETE /tasks/b", "GET /sync"},
         0,
         SyncReport::State::synced,
         {"a"}},
        {"401",
         {change(Kind::completeTask, "a")},
         {401},
         {"POST /tasks/a/complete"},
         1,
         SyncReport::State::failed,
         {}},
        {"folder made here",
         {change(Kind::createFolder, "local-1", json(FolderCreateBody{.name = "x"})),
          change(Kind::patchTask, "a", json(TaskPatchBody{.folderId = "local-1"})),
          change(Kind::deleteFolder, "local-1", "delete")},
         {json(made), json(makeTask("a", "f9")), 400},
         {"POST /folders", "PATCH /tasks/a", "DELETE /folders/f9?tasks=delete", "GET /sync"},
         0,
         SyncReport::State::offline,
         {"f9"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir directory;
        ReplicaFile file(directory.filePath(QStringLiteral("r.sqlite")));
        DiskReplica replica(file);
        replica.applyPull({.folders = {}, .tasks = {}, .serverTime = day(1)}, day(1));
        replica.upsert(makeFolder("local-1"));
        TaskItem localA = serviceA;
        localA.status = TaskStatus::done;
        replica.upsert(localA);
        ChangeQueue queue(file, directory.path());
        for (const PendingChange& queued : row.queued)
            queue.append(queued);
        const auto transport = std::make_shared<FakeTransport>();
        for (const Answer& answer : row.answers)
            std::holds_alternative<int>(answer)
                ? transport->enqueue(std::get<int>(answer), "{}")
                : transport->enqueue(200, std::get<QByteArray>(answer));
        transport->enqueueError(std::make_exception_ptr(
            TransportError(QNetworkReply::ConnectionRefusedError, QString())));
        SyncLoop loop(replica, queue, [transport] {
            return APIClient(QUrl(QStringLiteral("http://127.0.0.1:1")), transport);
        });
        const SyncReport report = awaitTask(loop.run());
        QStringList sent;
        for (const HTTPRequest& request : transport->requests())
            sent << QString::fromLatin1(request.method) + ' ' + request.url.path() +
                        (request.url.hasQuery() ? '?' + request.url.query() : QString());
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(queue.size(), row.left);
        EXPECT_EQ(ChangeQueue(file, directory.path()).size(), row.left); // as on disk
        EXPECT_EQ(report.state, row.state);
        EXPECT_EQ(report.refused, row.refused);
        if (row.left > 0) { // the head went out under the key it keeps for its resend
            EXPECT_EQ(transport->requests().first().header("Idempotency-Key"),
                      queue.items().first().key.toUtf8());
        }
        if (row.sent.last() == "GET /sync") { // a full pull put the service's version back
            EXPECT_EQ(*DiskReplica(file).store().task(QStringLiteral("a")),
                      row.refused == QStringList{"a"} ? serviceA : makeTask("a", "f9"));
        }
    }
}

// The writer half of the next test, run in a child process: queues changes and reports each
// one's seq on stdout the moment append returns.
TEST(ChangeQueue, WriterChild) {
    const QString path = qEnvironmentVariable("ONDREL_QUEUE_WRITER");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as the child of KeepsEveryReportedChangeAcrossKill9";
    ReplicaFile file(path);
    ChangeQueue queue(file, path + QStringLiteral(".rec"));
    for (int i = 0;; ++i) {
        const qint64 seq = i % 3 == 0 ? queue.appendCapture(QByteArray(4096, char(i)), "audio/m4a")
                                      : queue.append(change(Kind::completeTask, "t"));
        std::printf("seq %lld\n", static_cast<long long>(seq));
        std::fflush(stdout);
    }
}

// What the queue has said it holds survives kill -9 at any moment, in order, recordings
// included.
TEST(ChangeQueue, KeepsEveryReportedChangeAcrossKill9) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("q.sqlite"));
    for (int round = 0; round < 3; ++round) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ONDREL_QUEUE_WRITER"), path);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=ChangeQueue.WriterChild")});
        QList<qint64> reported;
        const auto read = [&] {
            while (child.canReadLine())
                if (const QByteArray line = child.readLine(); line.startsWith("seq "))
                    reported << line.mid(4).trimmed().toLongLong();
        };
        while (reported.size() < 20 + round * 7 && child.waitForReadyRead(20000))
            read();
        child.kill(); // SIGKILL
        child.waitForFinished();
        read();
        ASSERT_GE(reported.size(), 20);
        ReplicaFile file(path);
        ChangeQueue queue(file, path + QStringLiteral(".rec"));
        QList<qint64> kept;
        for (const PendingChange& item : queue.items()) {
            kept << item.seq;
            if (item.file) {
                EXPECT_EQ(QFile(*item.file).size(), 4096);
            }
        }
        EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
        for (const qint64 seq : reported)
            EXPECT_TRUE(kept.contains(seq)) << seq;
    }
}

} // namespace
