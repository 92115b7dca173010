#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/LocalStore.h"
#include "OndrelCore/replica/Outbox.h"
#include "OndrelCore/replica/SyncEngine.h"
#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <memory>

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

} // namespace
