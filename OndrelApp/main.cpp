#include "OndrelApp/instance/SingleInstance.h"
#include "OndrelApp/launch/LaunchArguments.h"
#include "OndrelUI/config/AppConfig.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/screens/WindowGeometry.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateFeedAddress.h"
#include "OndrelUI/update/UpdateState.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlError>
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

// Loads the window and returns what the engine complained about on the way. A platform that
// logs elsewhere than the terminal would hide why the window failed, so they are kept here.
QStringList load(QQmlApplicationEngine& engine, const QUrl& url) {
    QStringList errors;
    const QMetaObject::Connection collecting = QObject::connect(
        &engine, &QQmlEngine::warnings, [&errors](const QList<QQmlError>& warnings) {
            for (const QQmlError& warning : warnings)
                errors.append(warning.toString());
        });
    engine.load(url);
    QObject::disconnect(collecting);
    return errors;
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

    const ServiceURLResult feed = UpdateFeedAddress::fromEnvironment(
        *service.url, {AppConfig::builtInServiceURL(), QStringLiteral(ONDREL_UPDATE_FEED_URL)});
    if (!feed.url)
        return refuse(feed.error);

    UpdateState updateState;
    UpdaterSettings updates;
    updates.feedUrl = *feed.url;
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
                                 {QStringLiteral("updater"), QVariant::fromValue(&updater)}});
    QObject::connect(&*instance, &SingleInstance::messageReceived, &gate,
                     [&](const QString& message) {
                         if (!message.isEmpty())
                             gate.acceptCallback(message);
                         raise(engine);
                     });
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    const QStringList loadErrors = load(engine, QUrl(QStringLiteral("qrc:/Ondrel/UI/Main.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QWindow*>(engine.rootObjects().constFirst());
    if (!window)
        return refuse(QStringLiteral("окно не загрузилось: %1")
                          .arg(loadErrors.isEmpty() ? QStringLiteral("причина неизвестна")
                                                    : loadErrors.join(QStringLiteral("; "))));
    QSettings settings;
    WindowGeometry::restoreAndShow(*window, settings);
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window,
                     [&] { WindowGeometry::save(*window, settings); });
    return app.exec();
}
