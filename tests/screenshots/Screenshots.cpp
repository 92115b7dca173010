// Renders every state of the screens offscreen, from the fixed data set, into one PNG file each:
//   ondrel-screenshots OUTPUT_FOLDER
// Prints the files it wrote; fails when a screen could not be drawn cleanly.

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "ScreenData.h"
#include "support/GateScene.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QGuiApplication>
#include <QQuickStyle>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QSize windowSize(640, 760);

// The service behind the screens, answering from the data set.
struct Service {
    HTTPResponse answer(const HTTPRequest& request) const {
        const QString path = request.url.path();
        if (path == u"/folders")
            return {ODJSON::encoder().encode(ScreenData::folders()), 200};
        if (path == u"/tasks")
            return {ODJSON::encoder().encode(withTasks ? ScreenData::tasks() : QList<TaskItem>()),
                    200};
        if (path == u"/assistant" && failing)
            return {QByteArray("{\"error\":\"AI временно недоступен, попробуйте позже\"}"), 503};
        ApplyResult result;
        result.answer = QStringLiteral("Готово: добавил «Купить молоко» во «Входящие» на завтра.");
        return {ODJSON::encoder().encode(result), 200};
    }

    bool withTasks = true;
    bool failing = false;
};

// The gate over the data set's service, signed in or not; a signed-in root screen offers the
// update action and has loaded its lists.
class Scene {
public:
    explicit Scene(bool signedIn, bool withTasks = true,
                   const QString& file = QStringLiteral("AppGateView.qml")) {
        m_service.withTasks = withTasks;
        m_transport->setHandler(
            [this](const HTTPRequest& request) { return m_service.answer(request); });
        m_scene = std::make_unique<GateScene>(m_transport, signedIn, file,
                                              signedIn ? windowSize : QSize(480, 440));
        if (!signedIn)
            return;
        if (file != u"Main.qml")
            screen().root()->setProperty(
                "checkUpdates", QVariant::fromValue(screen().engine().evaluate("(function() {})")));
        waitUntil([&] { return vm() && vm()->taskCount() == (withTasks ? 6 : 0); });
    }

    AppGate& gate() { return m_scene->gate(); }
    AppViewModel* vm() { return gate().viewModel(); }
    ScreenHarness& screen() { return m_scene->screen(); }
    Service& service() { return m_service; }
    FakeTransport& transport() { return *m_transport; }
    AudioRecorder& recorder() { return m_scene->recorder(); }
    UpdateState& updateState() { return m_scene->updateState(); }

private:
    Service m_service;
    std::shared_ptr<FakeTransport> m_transport = std::make_shared<FakeTransport>();
    std::unique_ptr<GateScene> m_scene;
};

class Shots {
public:
    explicit Shots(QString folder) : m_folder(std::move(folder)) { QDir().mkpath(m_folder); }

    void take(Scene& scene, const QString& name) {
        QTest::qWait(450); // transitions and springs come to rest
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!scene.screen().saveImage(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            m_failed = true;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }

    // What went wrong while drawing a scene, printed once it is done with.
    void check(Scene& scene) {
        for (const QString& warning : scene.screen().warnings()) {
            std::fprintf(stderr, "%s\n", qPrintable(warning));
            m_failed = true;
        }
    }

    bool failed() const { return m_failed; }

private:
    QString m_folder;
    bool m_failed = false;
};

void signIn(Shots& shots) {
    Scene scene(false);
    shots.take(scene, QStringLiteral("signin-idle"));
    scene.screen().click(scene.screen().item("signInButton"));
    shots.take(scene, QStringLiteral("signin-busy"));
    scene.screen().click(scene.screen().item("cancelSignInButton"));
    waitUntil([&] { return !scene.gate().busy(); });
    shots.take(scene, QStringLiteral("signin-error"));
    shots.check(scene);
}

void lists(Shots& shots) {
    {
        Scene scene(true, false);
        shots.take(scene, QStringLiteral("root-empty"));
        shots.check(scene);
    }
    Scene scene(true);
    ScreenHarness& screen = scene.screen();
    shots.take(scene, QStringLiteral("root-tasks"));
    screen.click(screen.item("tab:home"), Qt::RightButton);
    shots.take(scene, QStringLiteral("tab-context-menu"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("card:t2"), Qt::RightButton);
    shots.take(scene, QStringLiteral("card-context-menu"));
    screen.press(Qt::Key_Escape);
    screen.click(screen.item("addFolderButton"));
    screen.type(QStringLiteral("Путешествия"));
    shots.take(scene, QStringLiteral("new-folder-dialog"));
    screen.press(Qt::Key_Escape);
    shots.check(scene);
}

void captures(Shots& shots) {
    Scene scene(true);
    AppViewModel& vm = *scene.vm();
    scene.transport().setHeld(true);
    vm.sendText(QStringLiteral("купить молоко завтра"));
    shots.take(scene, QStringLiteral("root-busy"));
    scene.transport().release();
    waitUntil([&] { return !vm.isBusy(); });
    shots.take(scene, QStringLiteral("root-answer"));
    scene.service().failing = true;
    vm.sendText(QStringLiteral("что у меня на завтра"));
    waitUntil([&] { return !vm.isBusy(); });
    shots.take(scene, QStringLiteral("root-error"));

    shots.check(scene);
}

void recording(Shots& shots) {
    Scene scene(true);
    scene.updateState().reportValidUpdate();
    scene.screen().click(scene.screen().item("micButton"));
    waitUntil([&] { return scene.recorder().level() > 0.3; });
    shots.take(scene, QStringLiteral("root-recording-update-available"));
    scene.recorder().stopRecording();
    shots.check(scene);
}

// The whole window, its application menu open.
void window(Shots& shots) {
    Scene scene(true, true, QStringLiteral("Main.qml"));
    scene.screen().click(scene.screen().itemWithText(QStringLiteral("Ondrel")));
    shots.take(scene, QStringLiteral("window-menu"));
    shots.check(scene);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    Shots shots(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    signIn(shots);
    lists(shots);
    captures(shots);
    recording(shots);
    window(shots);
    return shots.failed() ? 1 : 0;
}
