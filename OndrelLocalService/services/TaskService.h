#pragma once

#include "OndrelCore/bodies/TaskCreateBody.h"
#include "OndrelCore/bodies/TaskPatchBody.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelLocalService/state/ServiceStore.h"

#include <optional>

// The user's tasks. Every change stamps updatedAt and serverUpdatedAt; deleting leaves a
// tombstone that the lists hide and sync reports.
class TaskService {
public:
    explicit TaskService(ServiceStore& store) : m_store(store) {}

    // Live tasks by createdAt, filtered by folder and status when given.
    QList<TaskItem> list(const QString& userId, const std::optional<QString>& folderId,
                         const std::optional<TaskStatus>& status) const;
    TaskItem create(const QString& userId, const TaskCreateBody& body);
    TaskItem patch(const QString& userId, const QString& id, const TaskPatchBody& body);
    TaskItem complete(const QString& userId, const QString& id);
    TaskItem remove(const QString& userId, const QString& id);

    // Stores a new task inside a running change; fills owner and times, and the id unless the
    // draft has one.
    TaskItem insert(const QString& userId, TaskItem draft);
    // A live task of the user, or 404.
    TaskItem live(const QString& userId, const QString& id) const;
    // Sets the status, keeping completedAt in step with it; the caller stamps the change.
    void setStatus(TaskItem& task, TaskStatus status) const;
    // Stamps the change and stores the task, inside a running change.
    void touch(TaskItem& task);
    // 400 unless `folderId` names a live folder of the user.
    void checkFolder(const QString& userId, const QString& folderId) const;

private:
    ServiceStore& m_store;
};
