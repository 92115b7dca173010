#pragma once

#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelCore/wire/Instant.h"

#include <QString>

#include <optional>

// What a calendar back end is asked to create for a task with a deadline.
struct ReminderRequest {
    QString title;
    Instant dueDate;
    std::optional<qint64> leadMinutes; // remind this many minutes before dueDate
    std::optional<RecurrenceRule> recurrence;
    std::optional<QString> notes;

    friend bool operator==(const ReminderRequest&, const ReminderRequest&) = default;
};
