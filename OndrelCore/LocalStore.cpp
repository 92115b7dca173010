#include "OndrelCore/LocalStore.h"

#include <algorithm>
#include <vector>

LocalStore::LocalStore(const QList<Folder>& folders, const QList<TaskItem>& tasks) {
    applyPull(SyncPullResponse{.folders = folders, .tasks = tasks, .serverTime = {}});
}

void LocalStore::applyPull(const SyncPullResponse& pull) {
    m_folders.reserve(m_folders.size() + pull.folders.size());
    for (const Folder& folder : pull.folders)
        m_folders.upsert(folder);
    m_tasks.reserve(m_tasks.size() + pull.tasks.size());
    for (const TaskItem& task : pull.tasks)
        m_tasks.upsert(task);
}

void LocalStore::upsert(Folder folder) {
    m_folders.upsert(std::move(folder));
}

void LocalStore::upsert(TaskItem task) {
    m_tasks.upsert(std::move(task));
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

QList<TaskItem> LocalStore::tasks(std::optional<QString> inFolder, TaskSort sort) const {
    std::vector<const TaskItem*> chosen;
    chosen.reserve(std::size_t(m_tasks.size()));
    for (const TaskItem& task : m_tasks.records())
        if (!task.deleted && (!inFolder || task.folderId == inFolder))
            chosen.push_back(&task);
    return sortTasks(std::span<const TaskItem* const>(chosen), sort);
}
