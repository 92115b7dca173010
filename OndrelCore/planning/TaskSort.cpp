#include "OndrelCore/planning/TaskSort.h"

#include <algorithm>
#include <memory>
#include <numeric>

namespace {

// Sorts (key, position) pairs: the many-field records never move during the sort.
template <class Key, class Less>
std::vector<qsizetype> rankBy(std::span<const TaskItem* const> tasks, Key key, Less less) {
    using K = decltype(key(*tasks.front()));
    std::vector<std::pair<K, qsizetype>> order;
    order.reserve(tasks.size());
    for (std::size_t i = 0; i < tasks.size(); ++i)
        order.emplace_back(key(*tasks[i]), qsizetype(i));
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    std::vector<qsizetype> rank(tasks.size());
    for (std::size_t place = 0; place < order.size(); ++place)
        rank[std::size_t(order[place].second)] = qsizetype(place);
    return rank;
}

// Copies the tasks into a list with each at its rank, reading them in input order: the cheap
// order when they lie in memory that way.
QList<TaskItem> placeByRank(std::span<const TaskItem* const> tasks,
                            const std::vector<qsizetype>& rank) {
    QList<TaskItem> placed(qsizetype(tasks.size()));
    TaskItem* const out = placed.data();
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        // Rebuilt in place rather than assigned: copy construction is the cheaper path for
        // the many implicitly shared members of an empty record.
        TaskItem* const slot = out + rank[i];
        std::destroy_at(slot);
        std::construct_at(slot, *tasks[i]);
    }
    return placed;
}

} // namespace

std::vector<qsizetype> rankTasks(std::span<const TaskItem* const> tasks, TaskSort sort) {
    if (tasks.empty())
        return {};
    switch (sort) {
    case TaskSort::createdDesc:
        return rankBy(
            tasks, [](const TaskItem& task) { return task.createdAt; },
            [](const Instant& a, const Instant& b) { return a > b; });
    case TaskSort::dueAsc:
        // An undated task goes after every dated one, whatever its date.
        return rankBy(
            tasks, [](const TaskItem& task) { return task.dueDate; },
            [](const std::optional<Instant>& a, const std::optional<Instant>& b) {
                return a && (!b || *a < *b);
            });
    }
    // Not a TaskSort value: leave the order alone.
    std::vector<qsizetype> unchanged(tasks.size());
    std::iota(unchanged.begin(), unchanged.end(), qsizetype(0));
    return unchanged;
}

QList<TaskItem> sortTasks(const QList<TaskItem>& tasks, TaskSort sort) {
    std::vector<const TaskItem*> borrowed;
    borrowed.reserve(std::size_t(tasks.size()));
    for (const TaskItem& task : tasks)
        borrowed.push_back(&task);
    return placeByRank(borrowed, rankTasks(borrowed, sort));
}

std::unordered_map<std::optional<QString>, QList<TaskItem>>
groupByFolder(const QList<TaskItem>& tasks) {
    std::unordered_map<std::optional<QString>, QList<TaskItem>> groups;
    for (const TaskItem& task : tasks)
        groups[task.folderId].append(task);
    return groups;
}
