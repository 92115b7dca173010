#include "OndrelApp/instance/SingleInstance.h"
#include "OndrelApp/launch/LaunchArguments.h"
#include "OndrelUI/config/AppConfig.h"
#include "OndrelUI/desktop/CaptureRequests.h"
#include "OndrelUI/desktop/GlobalShortcuts.h"
#include "OndrelUI/desktop/LoginAutostart.h"
#include "OndrelUI/desktop/TrayIcon.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/reminders/DesktopCalendarService.h"
#include "OndrelUI/reminders/DesktopNotifications.h"
#include "OndrelUI/reminders/ReminderClock.h"
#include "OndrelUI/reminders/ReminderPlanner.h"
#include "OndrelUI/screens/WindowRaiser.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"

#include <QApplication>
#include <QDBusConnection>
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

} // namespace

int main(int argc, char* argv[]) {
    // A QApplication for the tray icon's menu; the screens are Qt Quick.
    QApplication app(argc, argv);
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

    // Reminders for the signed-in account's deadlines, as desktop notifications.
    QSettings settings;
    SystemReminderClock clock;
    DesktopNotifications notifications(QDBusConnection::sessionBus(),
                                       QGuiApplication::desktopFileName());
    DesktopCalendarService calendar(&notifications, &clock, &settings);
    calendar.followSleep(QDBusConnection::systemBus());
    std::unique_ptr<ReminderPlanner> planner;

    CaptureRequests captureRequests;
    LoginAutostart autostart(LoginAutostart::defaultConfigHome(),
                             QGuiApplication::desktopFileName(),
                             QCoreApplication::applicationFilePath());

    // The screens are drawn with the Basic style, customised by their theme, on every desktop.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QQmlApplicationEngine engine;
    engine.setInitialProperties(
        {{QStringLiteral("gate"), QVariant::fromValue(&gate)},
         {QStringLiteral("recorder"), QVariant::fromValue(&recorder)},
         {QStringLiteral("updateState"), QVariant::fromValue(&updateState)},
         {QStringLiteral("updater"), QVariant::fromValue(&updater)},
         {QStringLiteral("captureRequests"), QVariant::fromValue(&captureRequests)},
         {QStringLiteral("autostart"), QVariant::fromValue(&autostart)}});
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Ondrel/UI/Main.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QWindow*>(engine.rootObjects().constFirst());
    if (!window)
        return 1;
    WindowRaiser raiser(*window, settings);
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window, [&] { raiser.save(); });
    QObject::connect(&*instance, &SingleInstance::messageReceived, &gate,
                     [&](const QString& message) {
                         if (!message.isEmpty())
                             gate.acceptCallback(message);
                         raiser.raise();
                     });
    // Before the window's own handlers: the window is up when the root screen acts.
    QObject::connect(&captureRequests, &CaptureRequests::writeRequested, window,
                     [&] { raiser.raise(); });
    QObject::connect(&captureRequests, &CaptureRequests::recordRequested, window,
                     [&] { raiser.raise(); });

    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    TrayIcon tray(window, &captureRequests, &notifications, &settings, trayAvailable);
    QObject::connect(&tray, &TrayIcon::openRequested, window, [&] { raiser.raise(); });
    // With a tray, a hidden window is no reason to quit; "Выйти" and Ctrl+Q are.
    QGuiApplication::setQuitOnLastWindowClosed(!trayAvailable);

    const auto followViewModel = [&] {
        planner.reset();
        if (AppViewModel* viewModel = gate.viewModel()) {
            planner = std::make_unique<ReminderPlanner>(viewModel, &calendar);
            QObject::connect(planner.get(), &ReminderPlanner::windowRequested, window,
                             [&] { raiser.raise(); });
        }
    };
    QObject::connect(&gate, &AppGate::viewModelChanged, window, followViewModel);
    followViewModel();

    GlobalShortcuts shortcuts(QDBusConnection::sessionBus(), &captureRequests);
    shortcuts.start();

    // Started at login: the tray holds Ondrel until it is asked for.
    if (!launch.hidden || !trayAvailable)
        raiser.raise();
    const int status = app.exec();
    planner.reset();
    return status;
}
