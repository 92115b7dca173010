#pragma once

#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A session bus of the test's own, and on request gnome-keyring's Secret Service on it with an
// unlocked login keyring, all in a temporary home. The process's session bus address points at it
// from construction on. The keyring client caches its connection per process, so one bus per test
// process.
class PrivateSecretService {
public:
    PrivateSecretService() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        // The keyring client picks its backend by desktop; a KDE session would mean KWallet.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(name);
    }

    ~PrivateSecretService() {
        m_keyring.terminate();
        m_keyring.waitForFinished(5000);
    }

    bool running() const { return !m_bus.address().isEmpty(); }

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
        const QDBusConnection bus = m_bus.connect();
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
    QTemporaryDir m_home;
    PrivateBus m_bus;
    QProcess m_keyring;
};
