#include "OndrelCore/replica/LocalStore.h"

#include <algorithm>
#include <vector>

LocalStore::LocalStore(QList<Folder> folders, QList<TaskItem> tasks) {
    m_folders.reserve(folders.size());
    for (Folder& folder : folders)
        m_folders.upsert(std::move(folder));
    m_tasks.reserve(tasks.size());
    for (TaskItem& task : tasks)
        upsert(std::move(task));
}

void LocalStore::applyPull(const SyncPullResponse& pull) {
    m_lastListing.reset();
    m_folders.reserve(m_folders.size() + pull.folders.size());
    for (const Folder& folder : pull.folders)
        m_folders.upsert(folder);
    m_tasks.reserve(m_tasks.size() + pull.tasks.size());
    for (const TaskItem& task : pull.tasks)
        upsert(task);
}

void LocalStore::upsert(Folder folder) {
    m_lastListing.reset();
    m_folders.upsert(std::move(folder));
}

QList<qsizetype>& LocalStore::positionsIn(const std::optional<QString>& folderId) {
    return folderId ? m_taskPositionsByFolder[*folderId] : m_folderlessTaskPositions;
}

void LocalStore::upsert(TaskItem task) {
    m_lastListing.reset();
    const qsizetype known = m_tasks.size();
    const std::optional<QString> folderId = task.folderId;
    const qsizetype position = m_tasks.upsert(
        std::move(task), [this](qsizetype at, const TaskItem& old, const TaskItem& next) {
            if (old.folderId == next.folderId)
                return;
            positionsIn(old.folderId).removeOne(at);
            QList<qsizetype>& positions = positionsIn(next.folderId);
            positions.insert(std::lower_bound(positions.cbegin(), positions.cend(), at), at);
        });
    // A new task has the highest position of all, so appending keeps the list ascending.
    if (m_tasks.size() != known)
        positionsIn(folderId).append(position);
}

QList<Folder> LocalStore::activeFolders() const {
    QList<Folder> active;
    for (const Folder& folder : m_folders.records())
        if (!folder.deleted)
            active.append(folder);
    std::stable_sort(active.begin(), active.end(), [](const Folder& a, const Folder& b) {
        return std::tie(a.sortOrder, a.createdAt) < std::tie(b.sortOrder, b.createdAt);
    });
    return active;
}

QList<const TaskItem*> LocalStore::tasks(std::optional<QString> inFolder, TaskSort sort) const {
    if (!m_lastListing || m_lastListing->folderId != inFolder || m_lastListing->sort != sort)
        m_lastListing = Listing{inFolder, sort, list(inFolder, sort)};
    return m_lastListing->tasks;
}

QList<const TaskItem*> LocalStore::list(const std::optional<QString>& inFolder,
                                        TaskSort sort) const {
    const QList<TaskItem>& records = m_tasks.records();
    std::vector<const TaskItem*> chosen;
    if (inFolder) {
        const QList<qsizetype> positions = m_taskPositionsByFolder.value(*inFolder);
        chosen.reserve(std::size_t(positions.size()));
        for (const qsizetype position : positions)
            if (!records[position].deleted)
                chosen.push_back(&records[position]);
    } else {
        chosen.reserve(std::size_t(records.size()));
        for (const TaskItem& task : records)
            if (!task.deleted)
                chosen.push_back(&task);
    }
    // Chosen in storage order, so the keys are read from memory front to back.
    const std::vector<qsizetype> rank = rankTasks(chosen, sort);
    QList<const TaskItem*> listed(qsizetype(chosen.size()));
    const TaskItem** const out = listed.data();
    for (std::size_t i = 0; i < chosen.size(); ++i)
        out[rank[i]] = chosen[i];
    return listed;
}

QList<TaskItem> copiesOf(const QList<const TaskItem*>& listing) {
    QList<TaskItem> copies;
    copies.reserve(listing.size());
    for (const TaskItem* task : listing)
        copies.append(*task);
    return copies;
}
