#include "OndrelCore/TaskSort.h"

#include <algorithm>
#include <vector>

namespace {

// Sorting (key, position) pairs and then gathering the tasks once keeps the many-field records
// out of the sort's swaps.
template <class Key, class Less>
QList<TaskItem> sortedBy(std::span<const TaskItem* const> tasks, Key key, Less less) {
    using K = decltype(key(*tasks.front()));
    std::vector<std::pair<K, const TaskItem*>> order;
    order.reserve(tasks.size());
    for (const TaskItem* task : tasks)
        order.emplace_back(key(*task), task);
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    QList<TaskItem> result;
    result.reserve(qsizetype(order.size()));
    for (const auto& entry : order)
        result.append(*entry.second);
    return result;
}

} // namespace

QList<TaskItem> sortTasks(std::span<const TaskItem* const> tasks, TaskSort sort) {
    if (tasks.empty())
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
    QList<TaskItem> unsorted; // not a TaskSort value: leave the order alone
    for (const TaskItem* task : tasks)
        unsorted.append(*task);
    return unsorted;
}

QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort) {
    std::vector<const TaskItem*> borrowed;
    borrowed.reserve(std::size_t(tasks.size()));
    for (const TaskItem& task : tasks)
        borrowed.push_back(&task);
    return sortTasks(std::span<const TaskItem* const>(borrowed), sort);
}

std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks) {
    std::unordered_map<std::optional<QString>, QList<TaskItem>> groups;
    for (const TaskItem& task : tasks)
        groups[task.folderId].append(task);
    return groups;
}
