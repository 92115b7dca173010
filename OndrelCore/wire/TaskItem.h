#pragma once

#include "OndrelCore/wire/ChecklistItem.h"
#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/SourceKind.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelCore/wire/TaskType.h"

#include <QList>
#include <QString>

#include <optional>

// A task, note or idea. A deleted task is a tombstone kept for sync.
struct TaskItem {
    QString id{};
    QString userId{};
    std::optional<QString> folderId{};
    TaskType type = TaskType::task;
    QString title{};
    std::optional<QString> body{};
    std::optional<QString> transcript{};
    TaskStatus status = TaskStatus::inbox;
    Priority priority = Priority::none;
    std::optional<Instant> dueDate{};
    bool hasDeadline = false;
    std::optional<Instant> reminderAt{};
    std::optional<qint64> reminderLead;
    std::optional<QString> recurrence{};
    QList<QString> tags{};
    std::optional<QList<ChecklistItem>> checklist{};
    std::optional<double> confidence{};
    bool needsClarification = false;
    std::optional<QString> clarificationQuestion{};
    SourceKind source = SourceKind::manual;
    Instant createdAt{};
    Instant updatedAt{};
    std::optional<Instant> completedAt{};
    bool deleted = false;
    Instant serverUpdatedAt{};

    friend bool operator==(const TaskItem&, const TaskItem&) = default;
};

// Every member is relocatable, so lists may move tasks with memmove when they grow.
Q_DECLARE_TYPEINFO(TaskItem, Q_RELOCATABLE_TYPE);
