#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskType.h"

#include <QList>
#include <QString>

#include <optional>

// Request body of task creation; absent fields are left to the service.
struct TaskCreateBody {
    QString title{};
    std::optional<QString> folderId{};
    std::optional<TaskType> type{};
    std::optional<Priority> priority{};
    std::optional<QString> body{};
    std::optional<Instant> dueDate{};
    std::optional<bool> hasDeadline{};
    std::optional<QString> recurrence{};
};
