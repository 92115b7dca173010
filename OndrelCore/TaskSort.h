#pragma once

#include "OndrelCore/TaskItem.h"

#include <QList>

#include <optional>
#include <span>
#include <unordered_map>

// The order of a task list: newest first, or by due date with undated tasks last.
enum class TaskSort { createdDesc, dueAsc };

// Stable: tasks that compare equal keep their input order.
QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort);

// The same order over borrowed tasks, for callers that pick them out of a larger collection
// and want to copy each chosen task only once.
QList<TaskItem> sortTasks(std::span<const TaskItem* const> tasks, TaskSort sort);

// Tasks bucketed by folder id (no folder under std::nullopt), each bucket in input order.
std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks);
