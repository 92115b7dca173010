#include "support/QtPrinters.h"

#include "ContractFixture.h"

#include "OndrelCore/replica/SyncEngine.h"

#include <gtest/gtest.h>

namespace {

QStringList ids(const auto& records) {
    QStringList result;
    for (const auto& record : records)
        result.append(record.id);
    result.sort();
    return result;
}

class SyncEngineContractTest : public ContractTest {
protected:
    SyncEngine makeEngine() { return SyncEngine(signedIn(), LocalStore(), nullptr); }
};

TEST_F(SyncEngineContractTest, PullsEverythingThenOnlyWhatChanged) {
    SyncEngine engine = makeEngine();
    const APIClient api = signedIn();

    // The cursor travels to the second, so each step happens in a later second of the service.
    service.advance(std::chrono::seconds{2});
    awaitTask(engine.pull());
    const auto folders = awaitTask(api.listFolders());
    const auto tasks = awaitTask(api.listTasks());
    EXPECT_EQ(engine.store().activeFolders(), folders);
    EXPECT_EQ(ids(engine.store().tasks(std::nullopt, TaskSort::createdDesc)), ids(tasks));
    ASSERT_TRUE(engine.lastServerTime().has_value());
    const Instant firstCursor = *engine.lastServerTime();

    service.advance(std::chrono::seconds{2});
    ASSERT_GE(folders.size(), 2);
    const Folder doomed = folders.last();
    const QString target = folders.first().id;
    const TaskItem finished = awaitTask(api.completeTask(tasks.first().id));
    awaitTask(api.deleteFolder(doomed.id, QStringLiteral("move"), target));
    QStringList moved;
    for (const TaskItem& task : tasks)
        if (task.folderId == doomed.id && task.id != finished.id)
            moved.append(task.id);
    ASSERT_FALSE(moved.isEmpty()) << "the seeded folder should hold tasks to move";

    awaitTask(engine.pull());
    const SyncPullResponse second = awaitTask(api.syncPull(firstCursor));
    EXPECT_EQ(ids(second.folders), QStringList{doomed.id});
    QStringList changed = moved + QStringList{finished.id};
    changed.sort();
    EXPECT_EQ(ids(second.tasks), changed);
    EXPECT_GT(*engine.lastServerTime(), firstCursor);

    EXPECT_FALSE(engine.store().activeFolders().contains(*engine.store().folder(doomed.id)));
    EXPECT_TRUE(engine.store().folder(doomed.id)->deleted);
    EXPECT_EQ(engine.store().task(finished.id)->status, TaskStatus::done);
    for (const QString& id : moved)
        EXPECT_EQ(engine.store().task(id)->folderId, target);
}

} // namespace
