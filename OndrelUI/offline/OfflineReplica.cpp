#include "OndrelUI/offline/OfflineReplica.h"

#include "OndrelCore/json/ODJSON.h"

#include <QDir>
#include <QStandardPaths>
#include <QUuid>

#include <stdexcept>

OfflineReplica::OfflineReplica(const QString& path, SyncLoop::ClientSource client)
    : m_file(path), m_replica(m_file), m_queue(m_file, recordingsOf(path)),
      m_loop(m_replica, m_queue, std::move(client)) {}

QString OfflineReplica::defaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("replica.sqlite"));
}

QString OfflineReplica::recordingsOf(const QString& path) {
    return path + QStringLiteral(".recordings");
}

void OfflineReplica::forget(const QString& path) {
    ReplicaFile::remove(path);
    QDir(recordingsOf(path)).removeRecursively();
}

qint64 OfflineReplica::setDone(const TaskItem& task, bool done) {
    TaskItem changed = task;
    changed.status = done ? TaskStatus::done : TaskStatus::todo;
    changed.completedAt = done ? std::optional(Instant::now()) : std::nullopt;
    m_replica.upsert(changed);
    using Kind = PendingChange::Kind;
    return m_queue.append(
        {.kind = done ? Kind::completeTask : Kind::reopenTask, .target = task.id});
}

qint64 OfflineReplica::remove(const TaskItem& task) {
    TaskItem gone = task;
    gone.deleted = true;
    m_replica.upsert(gone);
    return m_queue.append({.kind = PendingChange::Kind::deleteTask, .target = task.id});
}

qint64 OfflineReplica::patch(const QString& taskId, const TaskPatchBody& patch) {
    const TaskItem* task = store().task(taskId);
    if (!task)
        throw std::runtime_error("the replica does not hold the task");
    TaskItem changed = *task;
    changed.title = patch.title.value_or(changed.title);
    changed.status = patch.status.value_or(changed.status);
    changed.priority = patch.priority.value_or(changed.priority);
    changed.folderId = patch.folderId ? patch.folderId : changed.folderId;
    changed.body = patch.body ? patch.body : changed.body;
    changed.dueDate = patch.dueDate ? patch.dueDate : changed.dueDate;
    changed.hasDeadline = patch.hasDeadline.value_or(changed.hasDeadline);
    m_replica.upsert(changed);
    return m_queue.append({.kind = PendingChange::Kind::patchTask,
                           .target = taskId,
                           .payload = ODJSON::encoder().encode(patch)});
}

qint64 OfflineReplica::createFolder(const QString& name) {
    // Shown under an id of its own until the service gives it one.
    const QList<Folder> shown = store().activeFolders();
    Folder folder{.id =
                      QStringLiteral("local-") + QUuid::createUuid().toString(QUuid::WithoutBraces),
                  .name = name,
                  .sortOrder = shown.isEmpty() ? 0 : shown.last().sortOrder + 1,
                  .createdAt = Instant::now()};
    folder.updatedAt = folder.createdAt;
    m_replica.upsert(folder);
    return m_queue.append({.kind = PendingChange::Kind::createFolder,
                           .target = folder.id,
                           .payload = ODJSON::encoder().encode(FolderCreateBody{.name = name})});
}

qint64 OfflineReplica::deleteFolder(const Folder& folder, const std::optional<QString>& moveTo) {
    // Copied first: each upsert below changes the store the listing points into.
    for (TaskItem task : copiesOf(store().tasks(folder.id, TaskSort::createdDesc))) {
        if (moveTo)
            task.folderId = moveTo;
        else
            task.deleted = true;
        m_replica.upsert(task);
    }
    Folder gone = folder;
    gone.deleted = true;
    m_replica.upsert(gone);
    const QByteArray action = moveTo ? "move\n" + moveTo->toUtf8() : QByteArray("delete");
    return m_queue.append(
        {.kind = PendingChange::Kind::deleteFolder, .target = folder.id, .payload = action});
}

qint64 OfflineReplica::recreate(const TaskItem& task) {
    TaskItem copy = task;
    copy.id = QStringLiteral("local-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    copy.deleted = false;
    m_replica.upsert(copy);
    const TaskCreateBody body{.title = task.title,
                              .folderId = task.folderId,
                              .type = task.type,
                              .priority = task.priority,
                              .body = task.body,
                              .dueDate = task.dueDate,
                              .hasDeadline = task.hasDeadline,
                              .recurrence = task.recurrence};
    return m_queue.append({.kind = PendingChange::Kind::createTask,
                           .target = copy.id,
                           .payload = ODJSON::encoder().encode(body)});
}

qint64 OfflineReplica::ask(const QString& text) {
    return m_queue.append({.kind = PendingChange::Kind::askText, .payload = text.toUtf8()});
}

qint64 OfflineReplica::capture(const QByteArray& audio, const QString& mimeType) {
    return m_queue.appendCapture(audio, mimeType);
}

bool OfflineReplica::withdraw(qint64 seq, const TaskItem& before) {
    if (!m_loop.withdraw(seq))
        return false;
    m_replica.upsert(before);
    return true;
}
