#pragma once

#include "OndrelCore/wire/TaskItem.h"

#include <QList>

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

// The order of a task list: newest first, or by due date with undated tasks last.
enum class TaskSort { createdDesc, dueAsc };

// Stable: tasks that compare equal keep their input order.
QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort);

// The ranking behind sortTasks, for callers that gather the tasks themselves: rank[i] is the
// place of tasks[i] in the sorted list.
std::vector<qsizetype> rankTasks(std::span<const TaskItem* const> tasks, TaskSort sort);

// Tasks bucketed by folder id (no folder under std::nullopt), each bucket in input order.
std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks);
