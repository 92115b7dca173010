#include "OndrelLocalService/services/FolderService.h"

#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/state/Identifiers.h"

#include <algorithm>

QList<Folder> FolderService::list(const QString& userId) const {
    QList<Folder> result;
    for (const Folder& folder : m_store.state().folders)
        if (folder.userId == userId && !folder.deleted)
            result.append(folder);
    std::stable_sort(result.begin(), result.end(), [](const Folder& a, const Folder& b) {
        return std::tie(a.sortOrder, a.createdAt) < std::tie(b.sortOrder, b.createdAt);
    });
    return result;
}

const Folder* FolderService::findByName(const QString& userId, const QString& name) const {
    for (const Folder& folder : m_store.state().folders)
        if (folder.userId == userId && !folder.deleted &&
            folder.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &folder;
    return nullptr;
}

Folder FolderService::create(const QString& userId, const FolderCreateBody& body) {
    const QString name = body.name.trimmed();
    if (name.isEmpty())
        throw ServiceError(400, QStringLiteral("name: название папки не может быть пустым"));
    if (findByName(userId, name))
        throw ServiceError(409, QStringLiteral("Папка «%1» уже есть").arg(name));
    return m_store.change([&] {
        Folder& folder = insert(userId, name);
        if (body.description && !body.description->isEmpty())
            folder.description = body.description;
        return folder;
    });
}

Folder& FolderService::insert(const QString& userId, const QString& name, bool isSystem) {
    qint64 nextOrder = 0;
    for (const Folder& folder : m_store.state().folders)
        if (folder.userId == userId)
            nextOrder = std::max(nextOrder, folder.sortOrder + 1);
    const Instant now = m_store.stamp();
    QList<Folder>& folders = m_store.mutableState().folders;
    folders.append(Folder{.id = Identifiers::recordId(),
                          .userId = userId,
                          .name = name,
                          .sortOrder = nextOrder,
                          .isSystem = isSystem,
                          .createdAt = now,
                          .updatedAt = now,
                          .serverUpdatedAt = now});
    return folders.last();
}

Folder FolderService::remove(const QString& userId, const QString& id, const QString& tasksAction,
                             const std::optional<QString>& moveTo) {
    const Folder* found = m_store.folder(userId, id);
    if (!found || found->deleted)
        throw ServiceError(404, QStringLiteral("Папка не найдена: %1").arg(id));
    if (found->isSystem)
        throw ServiceError(409,
                           QStringLiteral("Системную папку «%1» удалить нельзя").arg(found->name));
    const bool move = tasksAction == QLatin1String("move");
    if (!move && tasksAction != QLatin1String("delete"))
        throw ServiceError(
            400,
            QStringLiteral("tasks: ожидается delete или move, получено «%1»").arg(tasksAction));
    const std::optional<QString> target = move ? moveTo : std::nullopt;
    if (target) {
        const Folder* destination = m_store.folder(userId, *target);
        if (!destination || destination->deleted || destination->id == id)
            throw ServiceError(400,
                               QStringLiteral("to: папка назначения не найдена: %1").arg(*target));
    }
    return m_store.change([&] {
        for (TaskItem& task : m_store.mutableState().tasks) {
            if (task.userId != userId || task.deleted || task.folderId != id)
                continue;
            if (move)
                task.folderId = target;
            else
                task.deleted = true;
            task.updatedAt = task.serverUpdatedAt = m_store.stamp();
        }
        Folder& folder = *m_store.folder(userId, id);
        folder.deleted = true;
        folder.updatedAt = folder.serverUpdatedAt = m_store.stamp();
        return folder;
    });
}
