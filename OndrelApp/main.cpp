#include "OndrelApp/instance/SingleInstance.h"
#include "OndrelApp/launch/LaunchArguments.h"
#include "OndrelUI/appearance/Appearance.h"
#include "OndrelUI/appearance/ColorSchemePortal.h"
#include "OndrelUI/config/AppConfig.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/screens/WindowGeometry.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"

#include <QDBusConnection>
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

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(ONDREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ondrel"));

    LaunchArguments launch;
    std::optional<SingleInstance> instance;
    try {
        launch = LaunchArguments::parse(QGuiApplication::arguments());
        instance.emplace(SingleInstance::defaultServerName());
        if (instance->start(launch.url) == SingleInstance::Role::handedOver)
            return 0;
    } catch (const std::exception& error) {
        return refuse(QString::fromUtf8(error.what()));
    }
    const ServiceURLResult service = AppConfig::serviceURL();
    if (!service.url)
        return refuse(service.error);

    AppGate gate(*service.url);
    // Nothing can be pending this early, so a URL this process was started with is dropped,
    // like any callback that arrives with no sign-in waiting for it.
    if (!launch.url.isEmpty())
        gate.acceptCallback(launch.url);

    UpdateState updateState;
    UpdaterSettings updates;
    updates.feedUrl = QUrl(QStringLiteral(ONDREL_UPDATE_FEED_URL));
    updates.publicKey = ONDREL_UPDATE_PUBLIC_KEY;
    AppUpdater updater(&updateState, std::move(updates));

    // The root screen's microphone; it opens the input device only while recording.
    AudioRecorder recorder;

    // Light or dark as chosen, or as the desktop prefers.
    QSettings settings;
    ColorSchemePortal portal(QDBusConnection::sessionBus());
    portal.start();
    Appearance appearance(&settings, &portal);

    // The screens are drawn with the Basic style, customised by their theme, on every desktop.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("gate"), QVariant::fromValue(&gate)},
                                 {QStringLiteral("recorder"), QVariant::fromValue(&recorder)},
                                 {QStringLiteral("updateState"), QVariant::fromValue(&updateState)},
                                 {QStringLiteral("updater"), QVariant::fromValue(&updater)},
                                 {QStringLiteral("appearance"), QVariant::fromValue(&appearance)}});
    QObject::connect(&*instance, &SingleInstance::messageReceived, &gate,
                     [&](const QString& message) {
                         if (!message.isEmpty())
                             gate.acceptCallback(message);
                         raise(engine);
                     });
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Ondrel/UI/Main.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QWindow*>(engine.rootObjects().constFirst());
    if (!window)
        return 1;
    WindowGeometry::restoreAndShow(*window, settings);
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window,
                     [&] { WindowGeometry::save(*window, settings); });
    return app.exec();
}
