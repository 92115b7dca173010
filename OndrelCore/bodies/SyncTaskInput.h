#pragma once

#include "OndrelCore/wire/TaskStatus.h"

#include <QList>
#include <QString>

#include <optional>

// One changed task inside a sync push. updatedAt is text, sent exactly as given.
struct SyncTaskInput {
    QString id{};
    std::optional<QString> title{};
    std::optional<QString> folderId{};
    std::optional<TaskStatus> status{};
    std::optional<bool> deleted{};
    QString updatedAt{};
};

Q_DECLARE_TYPEINFO(SyncTaskInput, Q_RELOCATABLE_TYPE);
