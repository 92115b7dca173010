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

    QQmlApplicationEngine engine;
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Ondrel/UI/Main.qml")));
    return app.exec();
}
