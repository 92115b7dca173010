// The root screen with 10,000 tasks, offscreen: from creating the screen to its first frame
// with the list (the tasks come from the local service over loopback), the card delegates alive
// and the longest frame while scrolling the whole list, and resident memory once loaded.

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelLocalService/http/LocalServer.h"
#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/update/UpdateState.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/FakeTransport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QSettings>
#include <QTemporaryDir>
#include <QtQml/QQmlExtensionPlugin>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

Q_IMPORT_QML_PLUGIN(Ondrel_UIPlugin)

namespace {

constexpr int taskCount = 10'000;

QList<TaskItem> manyTasks(const QString& userId, const QString& folderId) {
    QList<TaskItem> tasks;
    tasks.reserve(taskCount);
    for (int i = 0; i < taskCount; ++i) {
        TaskItem task;
        task.id = QStringLiteral("task-%1").arg(i);
        task.userId = userId;
        task.folderId = folderId;
        task.title = QStringLiteral("Задача номер %1: позвонить, купить, записать").arg(i);
        task.body = QStringLiteral("Подробное описание задачи, чтобы строка была похожа на правду");
        task.status = i % 4 == 0 ? TaskStatus::done : TaskStatus::todo;
        task.priority = Priority(i % 4);
        task.hasDeadline = i % 3 == 0;
        task.dueDate = Instant::fromMSecsSinceEpoch(1'700'000'000'000 + qint64(i) * 3'600'000);
        task.tags = {QStringLiteral("дом"), QStringLiteral("покупки")};
        if (i % 5 == 0)
            task.checklist = QList<ChecklistItem>{{QStringLiteral("c1"), QStringLiteral("a"), true},
                                                  {QStringLiteral("c2"), QStringLiteral("b")}};
        task.createdAt = Instant::fromMSecsSinceEpoch(1'700'000'000'000 + qint64(i) * 1000);
        task.updatedAt = task.createdAt;
        task.serverUpdatedAt = task.createdAt;
        tasks.append(std::move(task));
    }
    return tasks;
}

// Notes when the last answer arrived.
class TimedTransport : public HTTPTransport {
public:
    explicit TimedTransport(std::shared_ptr<HTTPTransport> inner) : m_inner(std::move(inner)) {
        m_clock.start();
    }

    QCoro::Task<HTTPResponse> send(HTTPRequest request) override {
        auto sending = m_inner->send(std::move(request));
        HTTPResponse response = co_await std::move(sending);
        m_lastAnswer = m_clock.nsecsElapsed();
        co_return response;
    }
    qint64 now() const { return m_clock.nsecsElapsed(); }
    qint64 lastAnswer() const { return m_lastAnswer; }

private:
    std::shared_ptr<HTTPTransport> m_inner;
    QElapsedTimer m_clock;
    qint64 m_lastAnswer = 0;
};

// The local service on loopback with one signed-in user whose inbox holds the tasks.
struct LocalService {
    LocalService() {
        ServiceRouter::Settings options;
        options.auth.seed = false;
        server = std::make_unique<LocalServer>(store, options);
        baseURL = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server->listenOnLoopback(0)));
        const AuthResponse pair = QCoro::waitFor(
            APIClient(baseURL, transport).loginYandex(QStringLiteral("yandex-token")));
        session = std::make_unique<AuthSession>(baseURL, transport, &settings);
        session->set(pair.accessToken, pair.refreshToken);
        const QString inbox = store.inbox(pair.user.id)->id;
        store.change([&] {
            for (const TaskItem& task : manyTasks(pair.user.id, inbox))
                store.put(task);
        });
    }

    ServiceStore store;
    std::unique_ptr<LocalServer> server;
    QUrl baseURL;
    std::shared_ptr<TimedTransport> transport =
        std::make_shared<TimedTransport>(std::make_shared<NetworkTransport>());
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    std::unique_ptr<AuthSession> session;
};

// The root screen in an offscreen window; frames are counted as they are drawn.
struct Screen {
    explicit Screen(AppViewModel& vm) {
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(640, 760);
        view.setInitialProperties({{"viewModel", QVariant::fromValue(&vm)},
                                   {"recorder", QVariant::fromValue(&recorder)},
                                   {"updateState", QVariant::fromValue(&updateState)}});
        QObject::connect(&view, &QQuickWindow::frameSwapped, [this] { ++frames; });
        view.setSource(QUrl(QStringLiteral("qrc:/Ondrel/UI/RootView.qml")));
        view.show();
    }

    QQuickItem* list() const {
        return view.rootObject()->findChild<QQuickItem*>(QStringLiteral("taskList"));
    }
    int delegates() const {
        return int(list()->property("contentItem").value<QQuickItem*>()->childItems().size());
    }

    AudioRecorder recorder;
    UpdateState updateState;
    QQuickView view;
    int frames = 0;
};

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 60'000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// From creating the screen to the first frame that shows the loaded list; `after_answer` is
// the part after the service's answer arrived (decoding, sorting, the model and the frame).
void firstFrame(benchmark::State& state, LocalService& service) {
    double afterAnswer = 0;
    for (auto _ : state) {
        AppViewModel vm(service.session.get());
        const qint64 start = service.transport->now();
        Screen screen(vm);
        bool loaded = false;
        qint64 shown = 0;
        QObject::connect(&screen.view, &QQuickWindow::frameSwapped, [&] {
            if (loaded && !shown)
                shown = service.transport->now();
        });
        QObject::connect(&vm, &AppViewModel::tasksChanged, [&] { loaded = true; });
        if (!waitFor([&] { return shown != 0; })) {
            state.SkipWithError("the list never appeared");
            return;
        }
        state.SetIterationTime(double(shown - start) / 1e9);
        afterAnswer += double(shown - service.transport->lastAnswer()) / 1e6;
        if (screen.delegates() == 0 || vm.taskCount() != taskCount)
            state.SkipWithError("the list is not shown");
    }
    state.counters["after_answer_ms"] = afterAnswer / double(state.iterations());
}

// Scrolls the whole list in steps of 120 points (about one card), drawing each frame.
void scrolling(benchmark::State& state, LocalService& service) {
    AppViewModel vm(service.session.get());
    Screen screen(vm);
    if (!waitFor([&] { return vm.taskCount() == taskCount && screen.delegates() > 0; })) {
        state.SkipWithError("the list never appeared");
        return;
    }
    QQuickItem* list = screen.list();
    std::vector<double> frameTimes;
    int mostDelegates = 0;
    for (auto _ : state) {
        list->setProperty("contentY", -12);
        while (!list->property("atYEnd").toBool()) {
            list->setProperty("contentY", list->property("contentY").toDouble() + 120);
            QElapsedTimer frame;
            frame.start();
            screen.view.grabWindow();
            frameTimes.push_back(double(frame.nsecsElapsed()) / 1e6);
            mostDelegates = std::max(mostDelegates, screen.delegates());
        }
    }
    if (frameTimes.empty()) {
        state.SkipWithError("nothing to scroll");
        return;
    }
    // A shared machine delays single frames; the 99th percentile tells them from real work.
    std::sort(frameTimes.begin(), frameTimes.end());
    state.counters["frames"] = double(frameTimes.size()) / double(state.iterations());
    state.counters["longest_frame_ms"] = frameTimes.back();
    state.counters["p99_frame_ms"] = frameTimes[frameTimes.size() * 99 / 100];
    state.counters["median_frame_ms"] = frameTimes[frameTimes.size() / 2];
    state.counters["most_delegates"] = mostDelegates;
}

// Resident memory of the process with the screen showing 10,000 tasks, loaded through the
// scripted transport so that no service shares the process.
void residentMemory(benchmark::State& state) {
    auto transport = std::make_shared<FakeTransport>();
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat);
    AuthSession session(QUrl(QStringLiteral("https://service.test")), transport, &settings);
    session.set(QStringLiteral("a"), QStringLiteral("r"));
    Folder inbox;
    inbox.id = QStringLiteral("inbox");
    inbox.name = QStringLiteral("Входящие");
    const QByteArray folders = ODJSON::encoder().encode(QList<Folder>{inbox});
    QByteArray tasks = ODJSON::encoder().encode(manyTasks(QStringLiteral("u"), inbox.id));
    transport->setHandler([&](const HTTPRequest& request) {
        return HTTPResponse{request.url.path() == u"/folders" ? folders : tasks, 200};
    });
    const double before = residentMegabytes();
    for (auto _ : state) {
        AppViewModel vm(&session);
        Screen screen(vm);
        if (!waitFor([&] { return vm.taskCount() == taskCount && screen.frames > 1; })) {
            state.SkipWithError("the list never appeared");
            return;
        }
        state.counters["rss_mb"] = residentMegabytes();
    }
    state.counters["rss_before_mb"] = before;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // First, before anything else has grown the process.
    benchmark::RegisterBenchmark("residentMemory", residentMemory)->Iterations(1);
    LocalService service;
    benchmark::RegisterBenchmark("firstFrame", firstFrame, std::ref(service))
        ->UseManualTime()
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scrolling", scrolling, std::ref(service))
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
