#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskStatus.h"

#include <QString>

#include <optional>

// What the edit sheet saves: the title as typed, the trimmed description (always present),
// the status, priority and folder (absent: unchanged), and the date only with a deadline.
struct TaskEdit {
    QString title;
    std::optional<QString> body;
    TaskStatus status = TaskStatus::todo;
    Priority priority = Priority::none;
    std::optional<QString> folderId;
    std::optional<Instant> dueDate;
    bool hasDeadline = false;

    friend bool operator==(const TaskEdit&, const TaskEdit&) = default;
};
