#pragma once

#include "OndrelCore/planning/TaskSort.h"
#include "OndrelCore/replica/IdTable.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The client's in-memory replica of folders and tasks, keyed by id. A plain value: copies are
// cheap (implicitly shared) and independent. Deleted records stay as tombstones that the
// listings hide; nothing is ever removed.
class LocalStore {
public:
    LocalStore() = default;
    // A list that repeats an id keeps its later record, as a pull does. Records of lists
    // that nobody else holds are moved in, not copied.
    LocalStore(QList<Folder> folders, QList<TaskItem> tasks);

    // The pulled records replace local ones whole, whatever their timestamps; folders first.
    void applyPull(const SyncPullResponse& pull);
    void upsert(Folder folder);
    void upsert(TaskItem task);

    // Folders not deleted, by sortOrder, then createdAt; ties in the order first seen.
    QList<Folder> activeFolders() const;
    // Tasks not deleted, of one folder (never the folderless ones) or of all when no folder
    // is given, sorted with sortTasks. Ties come in the order the tasks were first seen. The
    // records are not copied: the listing points into this store and holds only until the
    // store changes, is assigned or goes away; copiesOf keeps what must outlive that. The
    // last listing is kept until the store changes: asked again, it is a shared copy.
    QList<const TaskItem*> tasks(std::optional<QString> inFolder, TaskSort sort) const;

    // Lookups, tombstones included.
    const Folder* folder(const QString& id) const { return m_folders.find(id); }
    const TaskItem* task(const QString& id) const { return m_tasks.find(id); }
    // Every record known locally, in the order first seen.
    const QList<Folder>& allFolders() const { return m_folders.records(); }
    const QList<TaskItem>& allTasks() const { return m_tasks.records(); }
    // The same records as maps (built on each call).
    QHash<QString, Folder> foldersById() const { return m_folders.toHash(); }
    QHash<QString, TaskItem> tasksById() const { return m_tasks.toHash(); }

private:
    struct Listing {
        std::optional<QString> folderId;
        TaskSort sort;
        QList<const TaskItem*> tasks;
    };

    QList<const TaskItem*> list(const std::optional<QString>& inFolder, TaskSort sort) const;
    QList<qsizetype>& positionsIn(const std::optional<QString>& folderId);

    IdTable<Folder> m_folders;
    IdTable<TaskItem> m_tasks;
    // Positions in m_tasks by the task's folder id, ascending, tombstones included: a folder's
    // listing reads only its own tasks, in the order first seen.
    QHash<QString, QList<qsizetype>> m_taskPositionsByFolder;
    QList<qsizetype> m_folderlessTaskPositions;
    // Not part of the value: dropped by every change, filled by a read.
    mutable std::optional<Listing> m_lastListing;
};

// The records of a listing, copied in its order.
QList<TaskItem> copiesOf(const QList<const TaskItem*>& listing);
