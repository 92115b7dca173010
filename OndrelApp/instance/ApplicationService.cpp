#include "OndrelApp/instance/ApplicationService.h"

#include "OndrelApp/launch/LaunchArguments.h"

#include <QDBusError>
#include <QLoggingCategory>
#include <QUrl>

Q_LOGGING_CATEGORY(applicationBusLog, "ondrel.bus")

ApplicationService::ApplicationService(HandOverLimits limits, QObject* parent)
    : QObject(parent), m_limits(limits) {}

ApplicationService::~ApplicationService() {
    if (!m_bus)
        return;
    m_bus->unregisterService(QString::fromLatin1(serviceName));
    m_bus->unregisterObject(QString::fromLatin1(objectPath));
}

bool ApplicationService::registerOn(QDBusConnection bus) {
    if (!bus.isConnected()) {
        qCInfo(applicationBusLog) << "no session bus: links arrive over the local socket only";
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(objectPath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        qCWarning(applicationBusLog) << "cannot export" << objectPath;
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(serviceName))) {
        qCWarning(applicationBusLog)
            << "cannot take the bus name" << serviceName << ":" << bus.lastError().message();
        bus.unregisterObject(QString::fromLatin1(objectPath));
        return false;
    }
    m_bus = bus;
    return true;
}

void ApplicationService::Activate(const QVariantMap&) {
    Q_EMIT messageReceived(QString());
}

void ApplicationService::Open(const QStringList& uris, const QVariantMap&) {
    for (const QString& uri : uris.mid(0, m_limits.peers)) {
        const QUrl url(uri);
        LaunchArguments launch;
        launch.url = url.toString(QUrl::FullyEncoded);
        if (uri.size() > m_limits.messageBytes || !url.isValid() || url.scheme().isEmpty() ||
            launch.url.size() > m_limits.messageBytes) {
            qCWarning(applicationBusLog) << "dropped an opened URI that is no URL or too long";
            continue;
        }
        Q_EMIT messageReceived(launch.message());
    }
}

void ApplicationService::ActivateAction(const QString& name, const QVariantList&,
                                        const QVariantMap&) {
    LaunchArguments launch;
    if (name == QLatin1String("record"))
        launch.action = LaunchArguments::Action::record;
    else if (name == QLatin1String("write"))
        launch.action = LaunchArguments::Action::write;
    else {
        qCWarning(applicationBusLog) << "dropped an unknown action";
        return;
    }
    Q_EMIT messageReceived(launch.message());
}
