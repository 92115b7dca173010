#include "OndrelCore/replica/SyncEngine.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"

#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QUrlQuery>

#include <memory>

namespace {

const QString inbox = QStringLiteral("inbox");

QByteArray pullJSON(QList<Folder> folders, QList<TaskItem> tasks, Instant serverTime) {
    return ODJSON::encoder().encode(SyncPullResponse{
        .folders = std::move(folders), .tasks = std::move(tasks), .serverTime = serverTime});
}

std::optional<QString> sinceOf(const HTTPRequest& request) {
    const QUrlQuery query(request.url);
    if (!query.hasQueryItem(QStringLiteral("since")))
        return std::nullopt;
    return query.queryItemValue(QStringLiteral("since"), QUrl::FullyDecoded);
}

struct SyncEngineTest : testing::Test {
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    std::shared_ptr<Outbox> outbox = std::make_shared<Outbox>();
    SyncEngine engine{
        APIClient(QUrl(QStringLiteral("https://tasks.example")), transport, QStringLiteral("tok")),
        LocalStore(), outbox};

    const Instant firstTime = at("2024-05-01T10:00:00.750Z");

    // Folder inbox with tasks a and b, at firstTime.
    void firstPull() {
        transport->enqueue(
            200, pullJSON({makeFolder("inbox")},
                          {makeTask("a", inbox, day(1)), makeTask("b", inbox, day(2))}, firstTime));
        awaitTask(engine.pull());
    }
};

// A failure of any kind leaves the store and the cursor exactly as they were.
TEST_F(SyncEngineTest, failedPullChangesNothing) {
    firstPull();
    const LocalStore before = engine.store();
    transport->enqueue(503, "maintenance");
    EXPECT_THROW(awaitTask(engine.pull()), APIError);
    transport->enqueue(200, "{\"folders\": [], \"tasks\": [{\"id\": 5}], \"serverTime\": \"x\"}");
    EXPECT_THROW(awaitTask(engine.pull()), DecodingError);
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::TimeoutError, QStringLiteral("timed out"))));
    EXPECT_THROW(awaitTask(engine.pull()), TransportError);

    EXPECT_EQ(engine.store().allTasks(), before.allTasks());
    EXPECT_EQ(engine.store().allFolders(), before.allFolders());
    EXPECT_EQ(engine.lastServerTime(), firstTime);
    // Every failed pull asked from the same cursor.
    for (qsizetype i = 1; i < transport->requests().size(); ++i)
        EXPECT_EQ(sinceOf(transport->requests()[i]), QStringLiteral("2024-05-01T10:00:00Z"));
}

// A failed capture does not fail the run; a failed pull after a flush keeps the flush only.
TEST_F(SyncEngineTest, syncFlushesBeforeItPulls) {
    outbox->enqueue(pendingCapture("p1"));
    transport->enqueue(500, "capture failed");
    transport->enqueue(200, pullJSON({}, {makeTask("a", inbox)}, firstTime));
    awaitTask(engine.sync());
    ASSERT_EQ(transport->requests().size(), 2);
    EXPECT_EQ(transport->requests()[0].url.path(), QStringLiteral("/captures"));
    EXPECT_EQ(transport->requests()[1].url.path(), QStringLiteral("/sync"));
    EXPECT_EQ(outbox->pending().size(), 1);
    EXPECT_EQ(engine.lastServerTime(), firstTime);

    transport->enqueue(200, ODJSON::encoder().encode(acceptedCapture("c1")));
    transport->enqueue(502, "bad gateway");
    const LocalStore before = engine.store();
    EXPECT_THROW(awaitTask(engine.sync()), APIError);
    EXPECT_TRUE(outbox->pending().isEmpty());
    EXPECT_EQ(engine.store().allTasks(), before.allTasks());
    EXPECT_EQ(engine.lastServerTime(), firstTime);
}

// A pull started while another is in flight waits for it and asks from the cursor it left,
// so a late answer can never move the cursor back.
TEST_F(SyncEngineTest, overlappingPullsTakeTurns) {
    const Instant secondTime = at("2024-05-01T11:00:00Z");
    transport->enqueue(200, pullJSON({}, {makeTask("a", inbox)}, firstTime));
    transport->enqueue(200, pullJSON({}, {makeTask("b", inbox)}, secondTime));
    transport->setHeld(true);
    auto first = engine.pull();
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    auto second = engine.pull();
    transport->release();
    awaitTask(std::move(first));
    awaitTask(std::move(second));
    ASSERT_EQ(transport->requests().size(), 2);
    EXPECT_EQ(sinceOf(transport->requests()[1]), QStringLiteral("2024-05-01T10:00:00Z"));
    EXPECT_EQ(engine.lastServerTime(), secondTime);
    EXPECT_EQ(engine.store().allTasks().size(), 2);
}

TEST(SyncEngine, engineGoneDuringAPullEndsItQuietly) {
    auto transport = std::make_shared<FakeTransport>();
    transport->enqueue(200, pullJSON({}, {makeTask("a", inbox)}, day(1)));
    transport->setHeld(true);
    auto engine = std::make_unique<SyncEngine>(
        APIClient(QUrl(QStringLiteral("https://tasks.example")), transport), LocalStore(), nullptr);
    EXPECT_TRUE(engine->outbox());
    auto pulling = engine->pull();
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    engine.reset();
    transport->release();
    awaitTask(std::move(pulling));
}

} // namespace
