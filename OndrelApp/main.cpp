#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QUrl>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(Ondrel_UIPlugin)

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationName(QStringLiteral("Ondrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(ONDREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ondrel"));

    UpdateState updateState;
    UpdaterSettings updates;
    updates.feedUrl = QUrl(QStringLiteral(ONDREL_UPDATE_FEED_URL));
    updates.publicKey = ONDREL_UPDATE_PUBLIC_KEY;
    AppUpdater updater(&updateState, std::move(updates));

    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("updateState"), QVariant::fromValue(&updateState)},
                                 {QStringLiteral("updater"), QVariant::fromValue(&updater)}});
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Ondrel/UI/qml/Main.qml")));
    return app.exec();
}
