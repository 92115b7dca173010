#include "OndrelLocalService/services/SyncService.h"

#include "OndrelLocalService/services/ServiceError.h"

namespace {
template <class Record>
QList<Record> changedSince(const QList<Record>& records, const QString& userId,
                           const std::optional<Instant>& since) {
    QList<Record> result;
    for (const Record& record : records)
        if (record.userId == userId && (!since || record.serverUpdatedAt > *since))
            result.append(record);
    std::stable_sort(result.begin(), result.end(), [](const Record& a, const Record& b) {
        return a.serverUpdatedAt < b.serverUpdatedAt;
    });
    return result;
}

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
} // namespace

SyncPullResponse SyncService::pull(const QString& userId, const std::optional<Instant>& since) {
    const ServiceState& state = m_store.state();
    return SyncPullResponse{.folders = changedSince(state.folders, userId, since),
                            .tasks = changedSince(state.tasks, userId, since),
                            .serverTime = m_store.serverTime()};
}

SyncPushResponse SyncService::push(const QString& userId, const SyncPushBody& body) {
    const QList<SyncTaskInput> inputs = body.tasks.value_or(QList<SyncTaskInput>{});
    const QList<Instant> times = parseTimes(inputs);
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
        const Folder* folder = m_store.folder(userId, *input.folderId);
        return folder && !folder->deleted;
    }();
    TaskItem* task = m_store.task(userId, input.id);
    if (!task) {
        // A task made offline: it needs a title, and its id must be free.
        const bool idTaken = std::any_of(m_store.state().tasks.begin(), m_store.state().tasks.end(),
                                         [&](const TaskItem& t) { return t.id == input.id; });
        if (idTaken || input.deleted.value_or(false) || !folderKnown || !input.title ||
            input.title->trimmed().isEmpty())
            return Outcome::skipped;
        TaskItem& created = m_tasks.insert(userId, TaskItem{.folderId = input.folderId,
                                                            .title = input.title->trimmed(),
                                                            .status = TaskStatus::todo,
                                                            .source = SourceKind::manual});
        created.id = input.id;
        if (input.status)
            m_tasks.setStatus(created, *input.status);
        created.updatedAt = updatedAt;
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
    return Outcome::applied;
}
