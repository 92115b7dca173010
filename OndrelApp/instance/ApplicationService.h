#pragma once

#include "OndrelApp/instance/HandOverLimits.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

// The running Ondrel on the session bus as org.ondrel.Ondrel, with the desktop's
// org.freedesktop.Application interface: desktops that start an application through the bus
// hand links and actions over this way, never on a command line. Each call becomes the line a
// later `ondrel` process would hand over (LaunchArguments::message()). Any program of the user
// on the bus may call, so URIs are held to the hand-over's limits.
class ApplicationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static constexpr char serviceName[] = "org.ondrel.Ondrel";
    static constexpr char objectPath[] = "/org/ondrel/Ondrel";

    explicit ApplicationService(HandOverLimits limits = {}, QObject* parent = nullptr);
    ~ApplicationService() override;

    // Exports the interface and takes the name. False, with a warning, when there is no bus or
    // the name is taken: the local socket still carries every hand-over then.
    bool registerOn(QDBusConnection bus);

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                     const QVariantMap& platformData);

Q_SIGNALS:
    void messageReceived(const QString& message);

private:
    HandOverLimits m_limits;
    std::optional<QDBusConnection> m_bus;
};
