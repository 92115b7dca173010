#include "OndrelCore/TaskSort.h"

#include <algorithm>
#include <vector>

namespace {

// Sorting (key, position) pairs and then gathering the tasks once keeps the many-field records
// out of the sort's swaps.
template <class Key, class Less>
QList<TaskItem> sortedBy(const QList<TaskItem>& tasks, Key key, Less less) {
    using K = decltype(key(tasks.front()));
    std::vector<std::pair<K, qsizetype>> order;
    order.reserve(std::size_t(tasks.size()));
    for (qsizetype i = 0; i < tasks.size(); ++i)
        order.emplace_back(key(tasks[i]), i);
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    QList<TaskItem> result;
    result.reserve(tasks.size());
    for (const auto& entry : order)
        result.append(tasks[entry.second]);
    return result;
}

} // namespace

QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort) {
    if (tasks.isEmpty())
        return {};
    switch (sort) {
    case TaskSort::createdDesc:
        return sortedBy(
            tasks, [](const TaskItem& task) { return task.createdAt; },
            [](const Instant& a, const Instant& b) { return a > b; });
    case TaskSort::dueAsc:
        // An undated task goes after every dated one, whatever its date.
        return sortedBy(
            tasks, [](const TaskItem& task) { return task.dueDate; },
            [](const std::optional<Instant>& a, const std::optional<Instant>& b) {
                return a && (!b || *a < *b);
            });
    }
    return tasks;
}

std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks) {
    std::unordered_map<std::optional<QString>, QList<TaskItem>> groups;
    for (const TaskItem& task : tasks)
        groups[task.folderId].append(task);
    return groups;
}
