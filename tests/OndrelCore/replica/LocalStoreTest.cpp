#include "OndrelCore/replica/LocalStore.h"

#include "Records.h"

#include <gtest/gtest.h>

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

// The last record written under an id wins, whatever its age; it keeps the place first seen.
TEST(LocalStore, TheLastWriteOfAnIdWins) {
    TaskItem local = makeTask("a", inbox, day(1));
    local.updatedAt = local.serverUpdatedAt = day(20);
    TaskItem older = makeTask("a", work, day(1));
    older.title = QStringLiteral("старое");
    LocalStore store({makeFolder("f", 3), makeFolder("f", 1)}, {local, makeTask("b", work)});
    EXPECT_EQ(store.folder(QStringLiteral("f"))->sortOrder, 1);

    store.applyPull({.folders = {}, .tasks = {local, older}, .serverTime = day(4)});
    EXPECT_EQ(*store.task(QStringLiteral("a")), older);
    EXPECT_TRUE(store.tasks(inbox, TaskSort::createdDesc).isEmpty());
    EXPECT_EQ(idsOf(store.allTasks()), QStringList({"a", "b"}));
}

TEST(LocalStore, FoldersBySortOrderThenCreation) {
    const LocalStore store({makeFolder("late0", 0, day(5)), makeFolder("one", 1, day(1)),
                            makeFolder("early0", 0, day(2)), makeFolder("minus", -1, day(9))},
                           {});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"minus", "early0", "late0", "one"}));
}

// Folder ids match exactly ("" is a folder, not "no folder"); tasks follow their moves between
// folders, into and out of "no folder"; ties keep the order first seen.
TEST(LocalStore, ListsEachFoldersTasksInOrder) {
    LocalStore store({}, {makeTask("a", inbox, day(3)), makeTask("b", work, day(3)),
                          makeTask("c", inbox, day(3)), makeTask("d", std::nullopt, day(3)),
                          makeTask("e", work, day(3)), makeTask("E", QStringLiteral("INBOX")),
                          makeTask("empty", QString(), day(2), day(9))});
    store.upsert(makeTask("e", inbox, day(3)));
    store.upsert(makeTask("a", work, day(3)));
    store.applyPull({.folders = {},
                     .tasks = {makeTask("d", inbox, day(3)), makeTask("c", std::nullopt, day(3)),
                               makeTask("f", inbox, day(4), day(5))},
                     .serverTime = {}});
    store.upsert(makeTask("a", work, day(3))); // unchanged folder: listed once
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)), QStringList({"f", "d", "e"}));
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::dueAsc)), QStringList({"f", "d", "e"}));
    EXPECT_EQ(idsOf(store.tasks(work, TaskSort::dueAsc)), QStringList({"a", "b"}));
    EXPECT_EQ(idsOf(store.tasks(QString(), TaskSort::createdDesc)), QStringList({"empty"}));
    EXPECT_EQ(idsOf(store.tasks(QStringLiteral("none"), TaskSort::createdDesc)), QStringList());
    EXPECT_EQ(idsOf(store.tasks(std::nullopt, TaskSort::dueAsc)),
              QStringList({"f", "empty", "a", "b", "c", "d", "e", "E"}));
}

} // namespace
