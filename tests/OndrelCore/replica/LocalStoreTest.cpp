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

TEST(LocalStore, deletedFolderIsHiddenButKept) {
    LocalStore store({makeFolder("inbox"), makeFolder("work", 1)}, {});
    store.applyPull(
        {.folders = {deleted(makeFolder("work", 1))}, .tasks = {}, .serverTime = day(2)});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"inbox"}));
    ASSERT_TRUE(store.folder(work));
    EXPECT_TRUE(store.folder(work)->deleted);
    EXPECT_TRUE(store.foldersById().value(work).deleted);
}

TEST(LocalStore, deletedTaskIsHiddenFromEveryListing) {
    LocalStore store({}, {makeTask("a", inbox), makeTask("b", inbox), makeTask("c")});
    store.upsert(deleted(makeTask("b", inbox)));
    store.upsert(deleted(makeTask("c")));
    for (const TaskSort sort : {TaskSort::createdDesc, TaskSort::dueAsc}) {
        EXPECT_EQ(idsOf(store.tasks(inbox, sort)), QStringList({"a"}));
        EXPECT_EQ(idsOf(store.tasks(std::nullopt, sort)), QStringList({"a"}));
    }
    EXPECT_EQ(store.tasksById().size(), 3);
    EXPECT_TRUE(store.task(QStringLiteral("c"))->deleted);
}

// A tombstone that comes back to life (a restore on the service) shows again.
TEST(LocalStore, undeletedRecordShowsAgain) {
    LocalStore store({deleted(makeFolder("work"))}, {deleted(makeTask("a", work))});
    store.applyPull(
        {.folders = {makeFolder("work")}, .tasks = {makeTask("a", work)}, .serverTime = {}});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"work"}));
    EXPECT_EQ(idsOf(store.tasks(work, TaskSort::createdDesc)), QStringList({"a"}));
}

TEST(LocalStore, pulledRecordWinsWhateverItsAge) {
    TaskItem local = makeTask("a", inbox, day(1));
    local.title = QStringLiteral("новое");
    local.updatedAt = day(20);
    local.serverUpdatedAt = day(20);
    LocalStore store({}, {local});

    TaskItem pulled = makeTask("a", work, day(1));
    pulled.title = QStringLiteral("старое");
    pulled.updatedAt = day(3);
    pulled.serverUpdatedAt = day(3);
    store.applyPull({.folders = {}, .tasks = {pulled}, .serverTime = day(4)});
    EXPECT_EQ(*store.task(QStringLiteral("a")), pulled);
    EXPECT_TRUE(store.tasks(inbox, TaskSort::createdDesc).isEmpty());
    EXPECT_EQ(store.tasks(work, TaskSort::createdDesc), QList<TaskItem>{pulled});
}

TEST(LocalStore, laterEntryOfARepeatedIdWins) {
    TaskItem first = makeTask("a", inbox);
    TaskItem second = makeTask("a", inbox);
    second.title = QStringLiteral("второй");
    LocalStore store({makeFolder("f", 3), makeFolder("f", 1)}, {first, second});
    EXPECT_EQ(store.task(QStringLiteral("a"))->title, QStringLiteral("второй"));
    EXPECT_EQ(store.folder(QStringLiteral("f"))->sortOrder, 1);
    EXPECT_EQ(store.allTasks().size(), 1);

    store.applyPull({.folders = {}, .tasks = {second, first}, .serverTime = {}});
    EXPECT_EQ(*store.task(QStringLiteral("a")), first);
}

TEST(LocalStore, upsertReplacesOrInserts) {
    LocalStore store;
    Folder folder = makeFolder("f");
    store.upsert(folder);
    folder.name = QStringLiteral("Дом");
    store.upsert(folder);
    store.upsert(makeTask("t", QStringLiteral("f")));
    EXPECT_EQ(store.foldersById(), (QHash<QString, Folder>{{QStringLiteral("f"), folder}}));
    EXPECT_EQ(idsOf(store.tasks(QStringLiteral("f"), TaskSort::dueAsc)), QStringList({"t"}));
}

TEST(LocalStore, foldersBySortOrderThenCreation) {
    const LocalStore store({makeFolder("late0", 0, day(5)), makeFolder("one", 1, day(1)),
                            makeFolder("early0", 0, day(2)), makeFolder("minus", -1, day(9))},
                           {});
    EXPECT_EQ(idsOf(store.activeFolders()), QStringList({"minus", "early0", "late0", "one"}));
}

TEST(LocalStore, folderFilterIsExact) {
    const LocalStore store({}, {makeTask("plain", inbox, day(1)), makeTask("loose", {}, day(2)),
                                makeTask("upper", QStringLiteral("INBOX"), day(3)),
                                makeTask("empty", QString(), day(4)), makeTask("w", work, day(5))});
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)), QStringList({"plain"}));
    EXPECT_EQ(idsOf(store.tasks(QString(), TaskSort::createdDesc)), QStringList({"empty"}));
    EXPECT_EQ(idsOf(store.tasks(QStringLiteral("none"), TaskSort::createdDesc)), QStringList());
    EXPECT_EQ(idsOf(store.tasks(std::nullopt, TaskSort::createdDesc)),
              QStringList({"w", "empty", "upper", "loose", "plain"}));
}

TEST(LocalStore, tasksSortedAndTiesInTheOrderFirstSeen) {
    LocalStore store({}, {makeTask("n1", inbox, day(2)), makeTask("d9", inbox, day(2), day(9)),
                          makeTask("n2", inbox, day(7)), makeTask("d3", inbox, day(1), day(3))});
    store.applyPull({.folders = {},
                     .tasks = {makeTask("n0", inbox, day(2)), makeTask("n1", inbox, day(2))},
                     .serverTime = {}});
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::dueAsc)),
              QStringList({"d3", "d9", "n1", "n2", "n0"}));
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)),
              QStringList({"n2", "n1", "d9", "n0", "d3"}));
}

// A copy is independent of the store it came from.
TEST(LocalStore, isAValue) {
    LocalStore original({makeFolder("f")}, {makeTask("a", QStringLiteral("f"))});
    LocalStore copy = original;
    copy.upsert(deleted(makeTask("a", QStringLiteral("f"))));
    copy.upsert(makeFolder("g"));
    EXPECT_FALSE(original.task(QStringLiteral("a"))->deleted);
    EXPECT_EQ(original.allFolders().size(), 1);
    EXPECT_TRUE(copy.tasks(QStringLiteral("f"), TaskSort::createdDesc).isEmpty());
}

TaskItem inFolder(const char* id, std::optional<QString> folderId) {
    return makeTask(id, std::move(folderId), day(3));
}

// Moves between folders, into and out of "no folder"; ties keep the order first seen.
TEST(LocalStore, followsTasksAcrossFolders) {
    LocalStore store({}, {inFolder("a", inbox), inFolder("b", work), inFolder("c", inbox),
                          inFolder("d", std::nullopt), inFolder("e", work)});
    store.upsert(inFolder("e", inbox));
    store.upsert(inFolder("a", work));
    store.applyPull(
        {.folders = {},
         .tasks = {inFolder("d", inbox), inFolder("c", std::nullopt), inFolder("f", inbox)},
         .serverTime = {}});
    EXPECT_EQ(idsOf(store.tasks(inbox, TaskSort::createdDesc)), QStringList({"d", "e", "f"}));
    EXPECT_EQ(idsOf(store.tasks(work, TaskSort::dueAsc)), QStringList({"a", "b"}));
    EXPECT_EQ(idsOf(store.tasks(std::nullopt, TaskSort::createdDesc)),
              QStringList({"a", "b", "c", "d", "e", "f"}));
    store.upsert(inFolder("a", work)); // unchanged folder: listed once
    EXPECT_EQ(idsOf(store.tasks(work, TaskSort::createdDesc)), QStringList({"a", "b"}));
}

} // namespace
