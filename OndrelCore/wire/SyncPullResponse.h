#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QList>
#include <QString>

#include <optional>

// Everything changed since a cursor, tombstones included.
struct SyncPullResponse {
    QList<Folder> folders{};
    QList<TaskItem> tasks{};
    Instant serverTime{};

    friend bool operator==(const SyncPullResponse&, const SyncPullResponse&) = default;
};
