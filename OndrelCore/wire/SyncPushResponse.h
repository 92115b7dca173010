#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QList>
#include <QString>

#include <optional>

// The outcome of a sync push.
struct SyncPushResponse {
    QList<QString> appliedFolderIds{};
    QList<QString> appliedTaskIds{};
    QList<Folder> conflictFolders{};
    QList<TaskItem> conflictTasks{};
    Instant serverTime{};

    friend bool operator==(const SyncPushResponse&, const SyncPushResponse&) = default;
};
