// The local store at the size of a heavy user: 100,000 tasks in 50 folders. The floor is a bare
// std::stable_sort of as many (key, index) pairs: a listing of every task should stay within a
// small multiple of it.

#include "OndrelCore/replica/LocalStore.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

// The machine is shared: the fastest repetition is the least disturbed one.
#define ONDREL_BENCHMARK(...)                                                                      \
    BENCHMARK(__VA_ARGS__)->ComputeStatistics("min", [](const std::vector<double>& runs) {         \
        return *std::min_element(runs.begin(), runs.end());                                        \
    })

namespace {

constexpr int taskCount = 100'000;
constexpr int folderCount = 50;

const QStringList words{
    QStringLiteral("купить"),    QStringLiteral("позвонить"), QStringLiteral("отправить"),
    QStringLiteral("молоко"),    QStringLiteral("отчёт"),     QStringLiteral("маме"),
    QStringLiteral("встреча"),   QStringLiteral("в пятницу"), QStringLiteral("счёт"),
    QStringLiteral("проект"),    QStringLiteral("врачу"),     QStringLiteral("билеты"),
    QStringLiteral("документы"), QStringLiteral("до обеда"),  QStringLiteral("оплатить")};

QString phrase(QRandomGenerator& random, int minWords, int maxWords) {
    QStringList picked;
    const int count = minWords + random.bounded(maxWords - minWords + 1);
    for (int i = 0; i < count; ++i)
        picked.append(words[random.bounded(qsizetype(words.size()))]);
    return picked.join(u' ');
}

QString identifier(QRandomGenerator& random) {
    return QStringLiteral("%1-%2")
        .arg(random.generate64(), 16, 16, QLatin1Char('0'))
        .arg(random.generate(), 8, 16, QLatin1Char('0'));
}

Instant instantAt(qint64 msecs) {
    return Instant::fromMSecsSinceEpoch(msecs);
}

struct Dataset {
    SyncPullResponse pull;
    QString someFolder;
};

// A year of captures: a few percent deleted or folderless, about 40% with a deadline, some
// with a body, tags or a checklist; creation times repeat at whole seconds like real ones.
const Dataset& dataset() {
    static const Dataset data = [] {
        QRandomGenerator random(2026);
        const qint64 start = 1'704'067'200'000; // 2024-01-01
        const qint64 year = 365LL * 86'400'000;
        Dataset result;
        for (int i = 0; i < folderCount; ++i) {
            Folder folder;
            folder.id = identifier(random);
            folder.userId = QStringLiteral("user-1");
            folder.name = phrase(random, 1, 2);
            folder.sortOrder = random.bounded(20);
            folder.deleted = random.bounded(25) == 0;
            folder.createdAt = instantAt(start + random.bounded(year));
            folder.updatedAt = folder.serverUpdatedAt = folder.createdAt;
            result.pull.folders.append(folder);
        }
        result.someFolder = result.pull.folders[7].id;
        result.pull.tasks.reserve(taskCount);
        for (int i = 0; i < taskCount; ++i) {
            TaskItem task;
            task.id = identifier(random);
            task.userId = QStringLiteral("user-1");
            if (random.bounded(50) != 0)
                task.folderId = result.pull.folders[random.bounded(folderCount)].id;
            task.title = phrase(random, 2, 6);
            if (random.bounded(3) == 0)
                task.body = phrase(random, 5, 25);
            task.status = TaskStatus(random.bounded(6));
            task.priority = Priority(random.bounded(4));
            task.createdAt = instantAt(start + random.bounded(year) / 1000 * 1000);
            if (random.bounded(5) < 2) {
                task.dueDate = instantAt(task.createdAt.toMSecsSinceEpoch() +
                                         random.bounded(30) * 86'400'000LL);
                task.hasDeadline = true;
                task.reminderLead = 15;
            }
            if (random.bounded(4) == 0)
                task.tags = {QStringLiteral("дом"), QStringLiteral("срочно")};
            if (random.bounded(20) == 0)
                task.checklist = QList<ChecklistItem>{ChecklistItem{
                    .id = identifier(random), .title = phrase(random, 1, 3), .done = false}};
            task.deleted = random.bounded(30) == 0;
            task.updatedAt = task.serverUpdatedAt = task.createdAt;
            result.pull.tasks.append(task);
        }
        result.pull.serverTime = instantAt(start + year);
        return result;
    }();
    return data;
}

const LocalStore& filledStore() {
    static const LocalStore store = [] {
        LocalStore filled;
        filled.applyPull(dataset().pull);
        return filled;
    }();
    return store;
}

void BM_StableSortFloor(benchmark::State& state) {
    QRandomGenerator random(1);
    std::vector<std::pair<qint64, qsizetype>> input;
    input.reserve(taskCount);
    for (qsizetype i = 0; i < taskCount; ++i)
        input.emplace_back(qint64(random.bounded(31'536'000)) * 1'000'000, i);
    std::vector<std::pair<qint64, qsizetype>> pairs;
    for (auto _ : state) {
        state.PauseTiming();
        pairs = input;
        state.ResumeTiming();
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        benchmark::DoNotOptimize(pairs.data());
    }
    state.SetItemsProcessed(state.iterations() * taskCount);
}
ONDREL_BENCHMARK(BM_StableSortFloor)->Unit(benchmark::kMillisecond);

void BM_ApplyPullFull(benchmark::State& state) {
    const SyncPullResponse& pull = dataset().pull;
    for (auto _ : state) {
        LocalStore store;
        store.applyPull(pull);
        benchmark::DoNotOptimize(store);
        state.PauseTiming(); // the store's teardown is not the pull's cost
        store = LocalStore();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * pull.tasks.size());
}
ONDREL_BENCHMARK(BM_ApplyPullFull)->Unit(benchmark::kMillisecond);

void BM_TasksAll(benchmark::State& state) {
    const LocalStore& store = filledStore();
    const auto sort = TaskSort(state.range(0));
    for (auto _ : state) {
        QList<const TaskItem*> tasks = store.tasks(std::nullopt, sort);
        benchmark::DoNotOptimize(tasks.constData()); // reading never detaches
        state.PauseTiming();
        tasks = {};
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * taskCount);
}
ONDREL_BENCHMARK(BM_TasksAll)
    ->ArgName("sort")
    ->Arg(int(TaskSort::createdDesc))
    ->Arg(int(TaskSort::dueAsc))
    ->Unit(benchmark::kMillisecond);

// The first listing after a change: one task replaced, then everything listed afresh.
void BM_TasksAllAfterChange(benchmark::State& state) {
    LocalStore store = filledStore();
    TaskItem changed = dataset().pull.tasks[taskCount / 2];
    for (auto _ : state) {
        state.PauseTiming();
        changed.title += u'!';
        store.upsert(changed);
        state.ResumeTiming();
        QList<const TaskItem*> tasks = store.tasks(std::nullopt, TaskSort::createdDesc);
        benchmark::DoNotOptimize(tasks.constData()); // reading never detaches
        state.PauseTiming();
        tasks = {};
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * taskCount);
}
ONDREL_BENCHMARK(BM_TasksAllAfterChange)->Unit(benchmark::kMillisecond);

void BM_TasksOneFolder(benchmark::State& state) {
    const LocalStore& store = filledStore();
    const auto sort = TaskSort(state.range(0));
    qsizetype listed = 0;
    for (auto _ : state) {
        const QList<const TaskItem*> tasks = store.tasks(dataset().someFolder, sort);
        listed = tasks.size();
        benchmark::DoNotOptimize(tasks.constData()); // reading never detaches
    }
    state.counters["listed"] = double(listed);
}
ONDREL_BENCHMARK(BM_TasksOneFolder)
    ->ArgName("sort")
    ->Arg(int(TaskSort::createdDesc))
    ->Arg(int(TaskSort::dueAsc))
    ->Unit(benchmark::kMicrosecond);

void BM_ActiveFolders(benchmark::State& state) {
    const LocalStore& store = filledStore();
    for (auto _ : state) {
        const QList<Folder> folders = store.activeFolders();
        benchmark::DoNotOptimize(folders.data());
    }
}
ONDREL_BENCHMARK(BM_ActiveFolders)->Unit(benchmark::kMicrosecond);

} // namespace
