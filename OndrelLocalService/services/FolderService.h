#pragma once

#include "OndrelCore/bodies/FolderCreateBody.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelLocalService/state/ServiceStore.h"

#include <optional>

// The user's folders. Deleting leaves a tombstone and either deletes the folder's tasks or
// moves them to another folder (or to none).
class FolderService {
public:
    explicit FolderService(ServiceStore& store) : m_store(store) {}

    // Live folders by sortOrder, then createdAt.
    QList<Folder> list(const QString& userId) const;
    Folder create(const QString& userId, const FolderCreateBody& body);
    Folder remove(const QString& userId, const QString& id, const QString& tasksAction,
                  const std::optional<QString>& moveTo);

    // Stores a new folder inside a running change; no checks.
    Folder insert(const QString& userId, const QString& name, bool isSystem = false);
    // A live folder whose name equals `name` ignoring case.
    std::optional<Folder> findByName(const QString& userId, const QString& name) const;

private:
    ServiceStore& m_store;
};
