// The main screen's list under load: 10,000 tasks loaded into the view model and its row
// model, and one completion toggled in that list; the same from the replica on disk while the
// service cannot be reached.

#include "BenchTasks.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelUI/models/TaskListModel.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/FakeTransport.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

namespace {

constexpr int taskCount = benchTaskCount;

// A signed-in view model whose transport answers from a handler.
struct Screen {
    Screen() { session.set(QStringLiteral("access"), QStringLiteral("refresh")); }
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    AuthSession session{QUrl(QStringLiteral("https://service.test")), transport, &settings};
    AppViewModel vm{&session};
};

// Decoding, sorting and the model reset of a 10,000-task answer. Two answers that differ only
// in their last task alternate, so every load really replaces the list.
void loadTasks(benchmark::State& state) {
    Screen screen;
    QList<TaskItem> second = benchTasks({});
    second.last().title += u'!';
    const QByteArray answers[2] = {ODJSON::encoder().encode(benchTasks({})),
                                   ODJSON::encoder().encode(second)};
    int turn = 0;
    screen.transport->setHandler([&](const HTTPRequest&) {
        return HTTPResponse{answers[turn++ % 2], 200};
    });
    for (auto _ : state)
        QCoro::waitFor(screen.vm.loadTasks());
    if (screen.vm.tasks().size() != taskCount)
        state.SkipWithError("the list was not loaded");
    state.counters["tasks"] = taskCount;
}
BENCHMARK(loadTasks)->Unit(benchmark::kMillisecond);

// The list model's share of a load, without the transport and decoding: sorting 10,000 tasks
// and resetting the rows (two lists alternate so every reset is real).
void sortAndReset(benchmark::State& state) {
    TaskListModel model;
    QList<TaskItem> lists[2] = {benchTasks({}), benchTasks(QStringLiteral("!"))};
    int turn = 0;
    for (auto _ : state)
        model.setTasks(sortTasks(lists[turn++ % 2], TaskSort::createdDesc));
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(sortAndReset)->Unit(benchmark::kMillisecond);

// One toggle in the loaded list: the optimistic change, the service's answer and both row
// updates (the task moves between the unfinished and the finished group each time).
void toggleDone(benchmark::State& state) {
    Screen screen;
    const QList<TaskItem> tasks = benchTasks({});
    const QByteArray listAnswer = ODJSON::encoder().encode(tasks);
    screen.transport->enqueue(200, listAnswer);
    QCoro::waitFor(screen.vm.loadTasks());

    const qsizetype middle = taskCount / 2 + 1;
    screen.transport->setHandler([&](const HTTPRequest& request) {
        TaskItem answer = screen.vm.tasks()[middle];
        answer.status = request.method == "POST" ? TaskStatus::done : TaskStatus::todo;
        return HTTPResponse{ODJSON::encoder().encode(answer), 200};
    });
    for (auto _ : state)
        QCoro::waitFor(screen.vm.toggleDone(screen.vm.tasks()[middle]));
    if (screen.vm.errorText())
        state.SkipWithError(screen.vm.errorText()->toStdString().c_str());
    state.counters["tasks"] = taskCount;
}
BENCHMARK(toggleDone)->Unit(benchmark::kMicrosecond);

// A replica file holding the 10,000 tasks, made once.
const QString& filledReplica() {
    static QTemporaryDir directory;
    static const QString path = [] {
        const QString file = directory.filePath(QStringLiteral("replica.sqlite"));
        ReplicaFile replicaFile(file);
        DiskReplica(replicaFile)
            .applyPull({.folders = {}, .tasks = benchTasks({}), .serverTime = Instant::now()},
                       Instant::now());
        return file;
    }();
    return path;
}

// The service is away: every request fails as a refused connection.
void unreachable(Screen& screen) {
    screen.transport->setHandler([](const HTTPRequest&) -> HTTPResponse {
        throw TransportError(QNetworkReply::ConnectionRefusedError, QString());
    });
}

// The first list of a start without the service: the replica opened and its 10,000 tasks
// listed (compare with loadTasks, the same list from the service's answer).
void firstListFromReplica(benchmark::State& state) {
    const QString& path = filledReplica();
    std::optional<Screen> screen;
    for (auto _ : state) {
        state.PauseTiming(); // closing the last one's file is not this start's cost
        screen.reset();
        screen.emplace();
        unreachable(*screen);
        state.ResumeTiming();
        screen->vm.offline()->open(path, [&] { return screen->session.client(); });
        QCoro::waitFor(screen->vm.loadTasks());
    }
    if (screen->vm.tasks().size() != taskCount)
        state.SkipWithError("the replica's list was not shown");
}
BENCHMARK(firstListFromReplica)->Unit(benchmark::kMillisecond);

// One toggle while the service is away: the replica's record and the queued change written
// (each commit synced to disk), the row updated (compare with toggleDone).
void offlineToggle(benchmark::State& state) {
    QTemporaryDir directory;
    Screen screen;
    unreachable(screen);
    screen.vm.offline()->open(directory.filePath(QStringLiteral("replica.sqlite")),
                              [&] { return screen.session.client(); });
    screen.vm.offline()->replica()->replica().applyPull(
        {.folders = {}, .tasks = benchTasks({}), .serverTime = Instant::now()}, Instant::now());
    QCoro::waitFor(screen.vm.loadTasks());
    const qsizetype middle = taskCount / 2 + 1;
    for (auto _ : state)
        QCoro::waitFor(screen.vm.toggleDone(screen.vm.tasks()[middle]));
    if (screen.vm.offline()->replica()->queue().size() != qsizetype(state.iterations()))
        state.SkipWithError("the toggles were not queued");
}
BENCHMARK(offlineToggle)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
