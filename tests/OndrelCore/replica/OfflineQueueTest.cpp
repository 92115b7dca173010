#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/ChangeQueue.h"
#include "OndrelCore/replica/DiskReplica.h"
#include "OndrelCore/replica/ReplicaFile.h"
#include "OndrelCore/replica/SyncLoop.h"
#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <variant>

namespace {

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
