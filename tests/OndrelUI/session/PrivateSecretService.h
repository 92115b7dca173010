#pragma once

#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A session bus of the test's own, with no service files (nothing is started on demand), and on
// request gnome-keyring's Secret Service on it with an unlocked login keyring, all in a
// temporary home. The process's session bus address points at it from construction on. The
// keyring client caches its connection per process, so one bus per test process.
class PrivateSecretService {
public:
    PrivateSecretService() {
        QFile config(m_home.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                     "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                     "busconfig.dtd\">\n<busconfig><type>session</type><listen>unix:dir=" +
                     QFile::encodeName(m_home.path()) +
                     "</listen><policy context=\"default\"><allow send_destination=\"*\" "
                     "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        config.close();
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                     QStringLiteral("--config-file=") + config.fileName()});
        if (!m_bus.waitForReadyRead(10000))
            return;
        m_address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
        // The keyring client picks its backend by desktop; a KDE session would mean KWallet.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(name);
    }

    ~PrivateSecretService() {
        for (QProcess* process : {&m_keyring, &m_bus}) {
            process->terminate();
            process->waitForFinished(5000);
        }
        QDBusConnection::disconnectFromBus(QString::fromLatin1(connectionName));
    }

    bool running() const { return !m_address.isEmpty(); }

    // True once the login collection answers; the daemon ends with this object.
    bool startKeyring() {
        const QString runtime = m_home.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"),
                           m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        m_keyring.setProcessEnvironment(environment);
        m_keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The (empty) password on standard input creates the login keyring, unlocked.
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                         QStringLiteral("--components=secrets")});
        if (!m_keyring.waitForStarted(10000))
            return false;
        m_keyring.write("\n");
        m_keyring.closeWriteChannel();
        const QDBusConnection bus = QDBusConnection::connectToBus(
            QString::fromUtf8(m_address), QString::fromLatin1(connectionName));
        return waitUntil([&] {
            const QDBusMessage label =
                QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.secrets"),
                    QStringLiteral("/org/freedesktop/secrets/collection/login"),
                    QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"))
                << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Label");
            return bus.call(label, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
        });
    }

private:
    static constexpr auto connectionName = "ondrel-test-private-bus";

    QTemporaryDir m_home;
    QProcess m_bus;
    QProcess m_keyring;
    QByteArray m_address;
};
