#pragma once

#include "OndrelCore/Folder.h"
#include "OndrelCore/Instant.h"
#include "OndrelCore/TaskItem.h"

#include <QString>

#include <optional>

// Short builders for test records: only what a test cares about is named.
inline Instant at(const char* iso) {
    return *Instant::fromISO8601(iso);
}

inline Instant day(int dayOfJanuary) {
    return Instant::fromMSecsSinceEpoch(1704067200000LL + qint64(dayOfJanuary - 1) * 86400000LL);
}

inline TaskItem makeTask(const char* id, std::optional<QString> folderId = std::nullopt,
                         Instant createdAt = day(1),
                         std::optional<Instant> dueDate = std::nullopt) {
    TaskItem task;
    task.id = QString::fromUtf8(id);
    task.userId = QStringLiteral("u1");
    task.folderId = std::move(folderId);
    task.title = QStringLiteral("Задача ") + task.id;
    task.dueDate = dueDate;
    task.createdAt = createdAt;
    task.updatedAt = createdAt;
    task.serverUpdatedAt = createdAt;
    return task;
}

inline Folder makeFolder(const char* id, qint64 sortOrder = 0, Instant createdAt = day(1)) {
    Folder folder;
    folder.id = QString::fromUtf8(id);
    folder.userId = QStringLiteral("u1");
    folder.name = QStringLiteral("Папка ") + folder.id;
    folder.sortOrder = sortOrder;
    folder.createdAt = createdAt;
    folder.updatedAt = createdAt;
    folder.serverUpdatedAt = createdAt;
    return folder;
}

inline QStringList idsOf(const auto& records) {
    QStringList ids;
    for (const auto& record : records)
        ids.append(record.id);
    return ids;
}
