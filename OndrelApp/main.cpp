#include "OndrelApp/instance/ApplicationService.h"
#include "OndrelApp/instance/SingleInstance.h"
#include "OndrelApp/launch/LaunchArguments.h"
#include "OndrelApp/launch/ProcessArguments.h"
#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/config/AppConfig.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/screens/WindowGeometry.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QSettings>
#include <QUrl>
#include <QWindow>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#include <exception>
#include <optional>

Q_IMPORT_QML_PLUGIN(Ondrel_UIPlugin)

namespace {

int refuse(const QString& text) {
    std::fprintf(stderr, "ondrel: %s\n", qPrintable(text));
    return 1;
}

void raise(const QQmlApplicationEngine& engine) {
    for (QObject* root : engine.rootObjects())
        if (auto* window = qobject_cast<QWindow*>(root)) {
            window->show();
            window->raise();
            window->requestActivate();
        }
}

// A link goes to the sign-in; an action to the root screen, which performs it when it is up.
void perform(const LaunchArguments& launch, AppGate& gate, CaptureRequests& capture) {
    switch (launch.action) {
    case LaunchArguments::Action::record:
        capture.record();
        break;
    case LaunchArguments::Action::write:
        capture.write();
        break;
    case LaunchArguments::Action::none:
        if (!launch.url.isEmpty())
            gate.acceptCallback(launch.url);
        break;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    ProcessArguments arguments(argc, argv); // before anything else sees a link's tokens
    QGuiApplication app(arguments.argc(), arguments.argv());
    QGuiApplication::setOrganizationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(ONDREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ondrel.Ondrel"));

    LaunchArguments launch;
    std::optional<SingleInstance> instance;
    try {
        launch = LaunchArguments::parse(QGuiApplication::arguments());
        instance.emplace(SingleInstance::defaultServerName());
        if (instance->start(launch.message()) == SingleInstance::Role::handedOver)
            return 0;
    } catch (const std::exception& error) {
        return refuse(QString::fromUtf8(error.what()));
    }
    const ServiceURLResult service = AppConfig::serviceURL();
    if (!service.url)
        return refuse(service.error);

    AppGate gate(*service.url);
    CaptureRequests capture;
    ApplicationService bus;
    bus.registerOn(QDBusConnection::sessionBus());

    UpdateState updateState;
    UpdaterSettings updates;
    updates.feedUrl = QUrl(QStringLiteral(ONDREL_UPDATE_FEED_URL));
    updates.publicKey = ONDREL_UPDATE_PUBLIC_KEY;
    AppUpdater updater(&updateState, std::move(updates));

    // The root screen's microphone; it opens the input device only while recording.
    AudioRecorder recorder;

    // The screens are drawn with the Basic style, customised by their theme, on every desktop.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("gate"), QVariant::fromValue(&gate)},
                                 {QStringLiteral("recorder"), QVariant::fromValue(&recorder)},
                                 {QStringLiteral("updateState"), QVariant::fromValue(&updateState)},
                                 {QStringLiteral("updater"), QVariant::fromValue(&updater)},
                                 {QStringLiteral("capture"), QVariant::fromValue(&capture)}});
    // Every request brings the window up, a capture request before the root screen acts on it
    // (whoever sent it: a later process, the bus, the tray).
    const auto handOver = [&](const QString& message) {
        const LaunchArguments launch = LaunchArguments::fromMessage(message);
        if (launch.action == LaunchArguments::Action::none)
            raise(engine);
        perform(launch, gate, capture);
    };
    QObject::connect(&capture, &CaptureRequests::recordRequested, &app, [&] { raise(engine); });
    QObject::connect(&capture, &CaptureRequests::writeRequested, &app, [&] { raise(engine); });
    QObject::connect(&*instance, &SingleInstance::messageReceived, &gate, handOver);
    QObject::connect(&bus, &ApplicationService::messageReceived, &gate, handOver);
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Ondrel/UI/Main.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QWindow*>(engine.rootObjects().constFirst());
    if (!window)
        return 1;
    QSettings settings;
    WindowGeometry::restoreAndShow(*window, settings);
    // Nothing can be pending this early, so a URL this process was started with is dropped,
    // like any callback that arrives with no sign-in waiting for it. An action runs on the
    // root screen once the stored sign-in has been read (the keyring answers asynchronously),
    // or, signed out, leaves just the window.
    if (gate.ready())
        perform(launch, gate, capture);
    else
        QObject::connect(
            &gate, &AppGate::readyChanged, &app, [&] { perform(launch, gate, capture); },
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window,
                     [&] { WindowGeometry::save(*window, settings); });
    return app.exec();
}
