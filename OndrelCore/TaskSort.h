#pragma once

#include "OndrelCore/TaskItem.h"

#include <QList>

#include <optional>
#include <unordered_map>

// The order of a task list: newest first, or by due date with undated tasks last.
enum class TaskSort { createdDesc, dueAsc };

// Stable: tasks that compare equal keep their input order.
QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort);

// Tasks bucketed by folder id (no folder under the empty key), each bucket in input order.
std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks);
