#include "OndrelApp/instance/ApplicationService.h"
#include "OndrelApp/instance/SingleInstance.h"
#include "OndrelApp/launch/LaunchArguments.h"
#include "OndrelApp/launch/ProcessArguments.h"
#include "OndrelUI/appearance/Appearance.h"
#include "OndrelUI/appearance/ColorSchemePortal.h"
#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/config/AppConfig.h"
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
#include "OndrelUI/update/UpdateFeedAddress.h"
#include "OndrelUI/update/UpdateState.h"

#include <QApplication>
#include <QDBusConnection>
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
    ProcessArguments arguments(argc, argv); // before anything else sees a link's tokens
    // A QApplication for the tray icon's menu; the screens are Qt Quick.
    QApplication app(arguments.argc(), arguments.argv());
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

    // Reminders for the signed-in account's deadlines, as desktop notifications.
    QSettings settings;
    SystemReminderClock clock;
    DesktopNotifications notifications(QDBusConnection::sessionBus(),
                                       QGuiApplication::desktopFileName());
    DesktopCalendarService calendar(&notifications, &clock, &settings);
    calendar.followSleep(QDBusConnection::systemBus());
    std::unique_ptr<ReminderPlanner> planner;

    // Light or dark as chosen, or as the desktop prefers.
    ColorSchemePortal portal(QDBusConnection::sessionBus());
    portal.start();
    Appearance appearance(&settings, &portal);

    LoginAutostart autostart(LoginAutostart::defaultConfigHome(),
                             QGuiApplication::desktopFileName(),
                             QCoreApplication::applicationFilePath());

    // The screens are drawn with the Basic style, customised by their theme, on every desktop.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("gate"), QVariant::fromValue(&gate)},
                                 {QStringLiteral("recorder"), QVariant::fromValue(&recorder)},
                                 {QStringLiteral("updateState"), QVariant::fromValue(&updateState)},
                                 {QStringLiteral("updater"), QVariant::fromValue(&updater)},
                                 {QStringLiteral("capture"), QVariant::fromValue(&capture)},
                                 {QStringLiteral("autostart"), QVariant::fromValue(&autostart)},
                                 {QStringLiteral("appearance"), QVariant::fromValue(&appearance)}});
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
    WindowRaiser raiser(*window, settings);
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window, [&] { raiser.save(); });
    // Every request brings the window up, a capture request before the root screen acts on it
    // (whoever sent it: a later process, the bus, the tray, a global shortcut).
    const auto handOver = [&](const QString& message) {
        const LaunchArguments request = LaunchArguments::fromMessage(message);
        if (request.action == LaunchArguments::Action::none)
            raiser.raise();
        perform(request, gate, capture);
    };
    QObject::connect(&*instance, &SingleInstance::messageReceived, &gate, handOver);
    QObject::connect(&bus, &ApplicationService::messageReceived, &gate, handOver);
    QObject::connect(&capture, &CaptureRequests::writeRequested, window, [&] { raiser.raise(); });
    QObject::connect(&capture, &CaptureRequests::recordRequested, window, [&] { raiser.raise(); });

    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    TrayIcon tray(window, &capture, &notifications, &settings, trayAvailable);
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

    GlobalShortcuts shortcuts(QDBusConnection::sessionBus(), &capture);
    shortcuts.start();

    // Started at login: the tray holds Ondrel until it is asked for.
    if (!launch.hidden || !trayAvailable)
        raiser.raise();
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
    const int status = app.exec();
    planner.reset();
    return status;
}
