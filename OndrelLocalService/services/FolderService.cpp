#include "OndrelLocalService/services/FolderService.h"

#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/services/TextLimits.h"
#include "OndrelLocalService/state/Identifiers.h"

#include <algorithm>

QList<Folder> FolderService::list(const QString& userId) const {
    QList<Folder> result = m_store.folders(userId);
    result.removeIf([](const Folder& folder) { return folder.deleted; });
    std::stable_sort(result.begin(), result.end(), [](const Folder& a, const Folder& b) {
        return std::tie(a.sortOrder, a.createdAt) < std::tie(b.sortOrder, b.createdAt);
    });
    return result;
}

std::optional<Folder> FolderService::findByName(const QString& userId, const QString& name) const {
    return m_store.folderNamed(userId, name);
}

Folder FolderService::create(const QString& userId, const FolderCreateBody& body) {
    const QString name = body.name.trimmed();
    if (name.isEmpty())
        throw ServiceError(400, QStringLiteral("name: название папки не может быть пустым"));
    TextLimits::check(QStringLiteral("name"), name, TextLimits::title);
    TextLimits::check(QStringLiteral("description"), body.description, TextLimits::description);
    if (findByName(userId, name))
        throw ServiceError(409, QStringLiteral("Папка «%1» уже есть").arg(name));
    return m_store.change([&] {
        Folder folder = insert(userId, name);
        if (body.description && !body.description->isEmpty()) {
            folder.description = body.description;
            m_store.put(folder);
        }
        return folder;
    });
}

Folder FolderService::insert(const QString& userId, const QString& name, bool isSystem) {
    const Instant now = m_store.stamp();
    const Folder folder{.id = Identifiers::recordId(),
                        .userId = userId,
                        .name = name,
                        .sortOrder = m_store.nextSortOrder(userId),
                        .isSystem = isSystem,
                        .createdAt = now,
                        .updatedAt = now,
                        .serverUpdatedAt = now};
    m_store.put(folder);
    return folder;
}

Folder FolderService::remove(const QString& userId, const QString& id, const QString& tasksAction,
                             const std::optional<QString>& moveTo) {
    const std::optional<Folder> found = m_store.folder(userId, id);
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
        const std::optional<Folder> destination = m_store.folder(userId, *target);
        if (!destination || destination->deleted || destination->id == id)
            throw ServiceError(400,
                               QStringLiteral("to: папка назначения не найдена: %1").arg(*target));
    }
    return m_store.change([&] {
        for (TaskItem task : m_store.liveTasks(userId, id, std::nullopt)) {
            if (move)
                task.folderId = target;
            else
                task.deleted = true;
            task.updatedAt = task.serverUpdatedAt = m_store.stamp();
            m_store.put(task);
        }
        Folder folder = *found;
        folder.deleted = true;
        folder.updatedAt = folder.serverUpdatedAt = m_store.stamp();
        m_store.put(folder);
        return folder;
    });
}
