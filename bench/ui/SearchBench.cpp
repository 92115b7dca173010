// The search over 10,000 tasks: one keystroke's filtering against building the unfiltered
// list of the same tasks, in the same run. A keystroke either narrows the list to a few tasks
// or keeps every one of them (the mapping of all rows is the proxy's dearest case).

#include "BenchTasks.h"
#include "OndrelUI/models/TaskListModel.h"
#include "OndrelUI/models/TaskSearchModel.h"

#include <benchmark/benchmark.h>

namespace {

// The baseline: the unfiltered rows of the same tasks, built anew (two lists alternate so
// every reset is real).
void buildUnfilteredList(benchmark::State& state) {
    TaskListModel model;
    const QList<TaskItem> lists[2] = {benchTasks({}), benchTasks(QStringLiteral("!"))};
    int turn = 0;
    for (auto _ : state)
        model.setTasks(lists[turn++ % 2]);
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(buildUnfilteredList)->Unit(benchmark::kMicrosecond);

// One keystroke: the query grows by a letter, then loses it again, alternately.
void keystroke(benchmark::State& state, const QString& shorter, const QString& longer) {
    TaskListModel rows;
    rows.setTasks(benchTasks({}));
    TaskSearchModel search;
    search.setSourceModel(&rows);
    search.setQuery(shorter); // the search texts are folded once, before the keys
    int turn = 0;
    for (auto _ : state) {
        search.setQuery(turn++ % 2 ? shorter : longer);
        benchmark::DoNotOptimize(search.rowCount()); // as the list view asks
    }
    state.counters["results"] = search.resultCount();
}
BENCHMARK_CAPTURE(keystroke, to_a_few_tasks, QStringLiteral("номер 12"),
                  QStringLiteral("номер 123"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystroke, keeping_every_task, QStringLiteral("ёл"), QStringLiteral("ёлк"))
    ->Unit(benchmark::kMicrosecond);

} // namespace
