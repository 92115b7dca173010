#include "OndrelLocalService/services/TaskService.h"

#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/services/TextLimits.h"
#include "OndrelLocalService/state/Identifiers.h"

namespace {
QString requireTitle(const QString& title) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty())
        throw ServiceError(400, QStringLiteral("title: название задачи не может быть пустым"));
    TextLimits::check(QStringLiteral("title"), trimmed, TextLimits::title);
    return trimmed;
}
} // namespace

QList<TaskItem> TaskService::list(const QString& userId, const std::optional<QString>& folderId,
                                  const std::optional<TaskStatus>& status) const {
    return m_store.liveTasks(userId, folderId, status);
}

void TaskService::checkFolder(const QString& userId, const QString& folderId) const {
    const std::optional<Folder> folder = m_store.folder(userId, folderId);
    if (!folder || folder->deleted)
        throw ServiceError(400, QStringLiteral("folderId: папка не найдена: %1").arg(folderId));
}

TaskItem TaskService::create(const QString& userId, const TaskCreateBody& body) {
    const QString title = requireTitle(body.title);
    TextLimits::check(QStringLiteral("body"), body.body, TextLimits::description);
    TextLimits::check(QStringLiteral("recurrence"), body.recurrence, TextLimits::recurrence);
    if (body.folderId)
        checkFolder(userId, *body.folderId);
    return m_store.change([&] {
        return insert(userId,
                      TaskItem{.folderId = body.folderId,
                               .type = body.type.value_or(TaskType::task),
                               .title = title,
                               .body = body.body,
                               .status = TaskStatus::todo,
                               .priority = body.priority.value_or(Priority::none),
                               .dueDate = body.dueDate,
                               .hasDeadline = body.hasDeadline.value_or(body.dueDate.has_value()),
                               .recurrence = body.recurrence,
                               .source = SourceKind::manual});
    });
}

TaskItem TaskService::insert(const QString& userId, TaskItem draft) {
    const Instant now = m_store.stamp();
    if (draft.id.isEmpty())
        draft.id = Identifiers::recordId();
    draft.userId = userId;
    draft.createdAt = draft.updatedAt = draft.serverUpdatedAt = now;
    if (draft.status == TaskStatus::done && !draft.completedAt)
        draft.completedAt = now;
    m_store.put(draft);
    return draft;
}

TaskItem TaskService::live(const QString& userId, const QString& id) const {
    std::optional<TaskItem> task = m_store.task(userId, id);
    if (!task || task->deleted)
        throw ServiceError(404, QStringLiteral("Задача не найдена: %1").arg(id));
    return std::move(*task);
}

void TaskService::setStatus(TaskItem& task, TaskStatus status) const {
    if (status == TaskStatus::done && task.status != TaskStatus::done)
        task.completedAt = m_store.now();
    else if (status != TaskStatus::done)
        task.completedAt.reset();
    task.status = status;
}

void TaskService::touch(TaskItem& task) {
    task.updatedAt = task.serverUpdatedAt = m_store.stamp();
    m_store.put(task);
}

TaskItem TaskService::patch(const QString& userId, const QString& id, const TaskPatchBody& body) {
    live(userId, id);
    const std::optional<QString> title =
        body.title ? std::optional(requireTitle(*body.title)) : std::nullopt;
    TextLimits::check(QStringLiteral("body"), body.body, TextLimits::description);
    if (body.folderId)
        checkFolder(userId, *body.folderId);
    return m_store.change([&] {
        TaskItem task = live(userId, id);
        if (title)
            task.title = *title;
        if (body.status)
            setStatus(task, *body.status);
        if (body.priority)
            task.priority = *body.priority;
        if (body.folderId)
            task.folderId = body.folderId;
        if (body.body)
            task.body = body.body;
        if (body.dueDate)
            task.dueDate = body.dueDate;
        if (body.hasDeadline)
            task.hasDeadline = *body.hasDeadline;
        touch(task);
        return task;
    });
}

TaskItem TaskService::complete(const QString& userId, const QString& id) {
    return m_store.change([&] {
        TaskItem task = live(userId, id);
        if (task.status == TaskStatus::done)
            return task; // nothing changes, so nothing is stamped
        setStatus(task, TaskStatus::done);
        touch(task);
        return task;
    });
}

TaskItem TaskService::remove(const QString& userId, const QString& id) {
    return m_store.change([&] {
        TaskItem task = live(userId, id);
        task.deleted = true;
        touch(task);
        return task;
    });
}
