#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QList>
#include <QString>

#include <optional>

// A folder of tasks, shown as a tab. A deleted folder is a tombstone kept for sync.
struct Folder {
    QString id{};
    QString userId{};
    QString name{};
    std::optional<QString> description{};
    std::optional<QString> emoji{};
    std::optional<QString> color{};
    qint64 sortOrder = 0;
    bool isSystem = false;
    bool deleted = false;
    Instant createdAt{};
    Instant updatedAt{};
    Instant serverUpdatedAt{};

    friend bool operator==(const Folder&, const Folder&) = default;
};

Q_DECLARE_TYPEINFO(Folder, Q_RELOCATABLE_TYPE);
