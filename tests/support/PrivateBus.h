#pragma once

#include "support/Files.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A session bus of the test's own: a dbus-daemon that activates only what `serviceDir` holds
// (nothing by default), in `environment`, so nothing on this machine is ever started on it.
// Each connect() is a separate client, as separate programs would be.
class PrivateBus {
public:
    explicit PrivateBus(
        const QString& serviceDir = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        const QString config = m_directory.filePath(QStringLiteral("bus.conf"));
        const QString services =
            serviceDir.isEmpty() ? QString()
                                 : QStringLiteral("<servicedir>%1</servicedir>").arg(serviceDir);
        if (!writeFile(config,
                       QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                      "<auth>EXTERNAL</auth>%2<policy context=\"default\">"
                                      "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                      "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                      "</busconfig>")
                           .arg(m_directory.path(), services)
                           .toUtf8()))
            ADD_FAILURE() << "cannot write the bus configuration";
        m_daemon.setProcessEnvironment(environment);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                        QStringLiteral("--config-file=") + config});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (m_address.isEmpty())
            ADD_FAILURE() << "dbus-daemon gave no address";
    }

    ~PrivateBus() {
        for (const QString& name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    QString address() const { return m_address; }
    QProcess& daemon() { return m_daemon; }

    QDBusConnection connect() {
        static int connections = 0;
        const QString name = QStringLiteral("private-bus-%1").arg(++connections);
        m_names << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_directory;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};
