#include "OndrelLocalService/services/SyncService.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QString user = QStringLiteral("u");
const Instant frozen = Instant::fromMSecsSinceEpoch(1'780'000'000'000);

class SyncServiceTest : public testing::Test {
protected:
    SyncServiceTest() {
        store.change([&] { DemoSeed::populate(store, user, false); });
    }
    TaskItem add(const char* title) {
        return tasks.create(user, TaskCreateBody{.title = QString::fromUtf8(title)});
    }
    static QString text(Instant instant) { return instant.toString(); }

    ServiceStore store{std::nullopt, [] { return frozen; }}; // every change in one millisecond
    TaskService tasks{store};
    SyncService sync{store, tasks};
};

TEST_F(SyncServiceTest, PullSinceACursorMissesNothingMadeInTheSameMillisecond) {
    add("первая");
    const SyncPullResponse all = sync.pull(user, std::nullopt);
    EXPECT_EQ(all.tasks.size(), 1);
    EXPECT_EQ(all.folders.size(), 1);

    const TaskItem second = add("вторая");
    const TaskItem removed = tasks.remove(user, all.tasks.first().id);
    const SyncPullResponse next = sync.pull(user, all.serverTime);
    ASSERT_EQ(next.tasks.size(), 2);
    EXPECT_EQ(next.tasks[0].id, second.id);
    EXPECT_EQ(next.tasks[1], removed); // the tombstone is reported
    EXPECT_TRUE(next.folders.isEmpty());
    EXPECT_TRUE(sync.pull(user, next.serverTime).tasks.isEmpty());
}

TEST_F(SyncServiceTest, PushCreatesOfflineTasksAndSkipsWhatItCannotApply) {
    const SyncPushResponse response = sync.push(
        user, SyncPushBody{.tasks = QList<SyncTaskInput>{
                               {.id = QStringLiteral("offline-1"),
                                .title = QStringLiteral("с ноутбука"),
                                .updatedAt = text(frozen)},
                               {.id = QStringLiteral("no-title"), .updatedAt = text(frozen)},
                               {.id = QStringLiteral("bad-folder"),
                                .title = QStringLiteral("x"),
                                .folderId = QStringLiteral("nope"),
                                .updatedAt = text(frozen)}}});
    EXPECT_EQ(response.appliedTaskIds, QStringList{QStringLiteral("offline-1")});
    EXPECT_TRUE(store.task(user, QStringLiteral("offline-1")));
    EXPECT_FALSE(store.task(user, QStringLiteral("no-title")));
    EXPECT_FALSE(store.task(user, QStringLiteral("bad-folder")));
}

TEST_F(SyncServiceTest, ABadTimeRejectsThePushWithoutApplyingAnyOfIt) {
    const TaskItem task = add("задача");
    const SyncPushBody body{
        .tasks = QList<SyncTaskInput>{
            {.id = task.id, .title = QStringLiteral("a"), .updatedAt = text(frozen)},
            {.id = task.id, .updatedAt = QStringLiteral("вчера")}}};
    EXPECT_THROW(sync.push(user, body), std::exception);
    EXPECT_EQ(store.task(user, task.id)->title, QStringLiteral("задача"));
}

TEST_F(SyncServiceTest, AnotherUsersTaskIsNeverTouched) {
    const TaskItem task = add("чужая");
    const SyncPushResponse response = sync.push(
        QStringLiteral("other"),
        SyncPushBody{.tasks = QList<SyncTaskInput>{
                         {.id = task.id,
                          .title = QStringLiteral("взлом"),
                          .updatedAt = text(Instant{frozen.time + std::chrono::hours(1)})}}});
    EXPECT_TRUE(response.appliedTaskIds.isEmpty());
    EXPECT_EQ(store.task(user, task.id)->title, QStringLiteral("чужая"));
    EXPECT_TRUE(sync.pull(QStringLiteral("other"), std::nullopt).tasks.isEmpty());
}

} // namespace
