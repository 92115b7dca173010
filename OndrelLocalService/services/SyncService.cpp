#include "OndrelLocalService/services/SyncService.h"

#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/services/TextLimits.h"

namespace {
QList<Instant> parseTimes(const QList<SyncTaskInput>& inputs) {
    QList<Instant> times;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const std::optional<Instant> time = Instant::fromISO8601(inputs[i].updatedAt.toStdString());
        if (!time)
            throw ServiceError(400, QStringLiteral("tasks[%1].updatedAt: Некорректная дата: %2")
                                        .arg(i)
                                        .arg(inputs[i].updatedAt));
        times.append(*time);
    }
    return times;
}

void checkLengths(const QList<SyncTaskInput>& inputs) {
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QString field = QStringLiteral("tasks[%1].").arg(i);
        TextLimits::check(field + QStringLiteral("id"), inputs[i].id, TextLimits::identifier);
        TextLimits::check(field + QStringLiteral("title"), inputs[i].title, TextLimits::title);
    }
}
} // namespace

SyncPullResponse SyncService::pull(const QString& userId, const std::optional<Instant>& since) {
    return SyncPullResponse{.folders = m_store.folders(userId, since),
                            .tasks = m_store.tasks(userId, since),
                            .serverTime = m_store.serverTime()};
}

SyncPushResponse SyncService::push(const QString& userId, const SyncPushBody& body) {
    const QList<SyncTaskInput> inputs = body.tasks.value_or(QList<SyncTaskInput>{});
    const QList<Instant> times = parseTimes(inputs);
    checkLengths(inputs);
    return m_store.change([&] {
        SyncPushResponse response;
        for (qsizetype i = 0; i < inputs.size(); ++i) {
            switch (apply(userId, inputs[i], times[i])) {
            case Outcome::applied:
                response.appliedTaskIds.append(inputs[i].id);
                break;
            case Outcome::conflict:
                response.conflictTasks.append(*m_store.task(userId, inputs[i].id));
                break;
            case Outcome::skipped:
                break;
            }
        }
        response.serverTime = m_store.serverTime();
        return response;
    });
}

SyncService::Outcome SyncService::apply(const QString& userId, const SyncTaskInput& input,
                                        Instant updatedAt) {
    const bool folderKnown = [&] {
        if (!input.folderId)
            return true;
        const std::optional<Folder> folder = m_store.folder(userId, *input.folderId);
        return folder && !folder->deleted;
    }();
    std::optional<TaskItem> task = m_store.task(userId, input.id);
    if (!task) {
        // A task made offline: it needs a title, and its id must be free.
        if (m_store.taskExists(input.id) || input.deleted.value_or(false) || !folderKnown ||
            !input.title || input.title->trimmed().isEmpty())
            return Outcome::skipped;
        TaskItem draft{.id = input.id,
                       .folderId = input.folderId,
                       .title = input.title->trimmed(),
                       .status = TaskStatus::todo,
                       .source = SourceKind::manual};
        if (input.status)
            m_tasks.setStatus(draft, *input.status);
        TaskItem created = m_tasks.insert(userId, draft);
        created.updatedAt = updatedAt;
        m_store.put(created);
        return Outcome::applied;
    }
    const bool titleValid = !input.title || !input.title->trimmed().isEmpty();
    if (updatedAt < task->updatedAt || !folderKnown || !titleValid)
        return Outcome::conflict;
    if (input.title)
        task->title = input.title->trimmed();
    if (input.folderId)
        task->folderId = input.folderId;
    if (input.status)
        m_tasks.setStatus(*task, *input.status);
    if (input.deleted)
        task->deleted = task->deleted || *input.deleted; // a tombstone is never revived
    task->updatedAt = updatedAt;
    task->serverUpdatedAt = m_store.stamp();
    m_store.put(*task);
    return Outcome::applied;
}
