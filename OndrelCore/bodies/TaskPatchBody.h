#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskStatus.h"

#include <QList>
#include <QString>

#include <optional>

// Request body of a partial task change. An absent field is left untouched: a patch can set a field
// but never clear one.
struct TaskPatchBody {
    std::optional<QString> title{};
    std::optional<TaskStatus> status{};
    std::optional<Priority> priority{};
    std::optional<QString> folderId{};
    std::optional<QString> body{};
    std::optional<Instant> dueDate{};
    std::optional<bool> hasDeadline{};
};
