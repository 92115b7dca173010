#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification service as far as Ondrel uses it. Keeps a log of what it was
// asked ("notify TITLE | BODY", "close TITLE"), the last hints, and can click an action.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit FakeNotificationServer(QDBusConnection bus) : m_bus(std::move(bus)) {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                             QDBusConnection::ExportAllSlots);
        m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    ~FakeNotificationServer() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    QStringList log;
    QVariantMap lastHints;
    QStringList lastActions;

    // Clicks `action` on the latest notification with that title.
    void invoke(const QString& title, const QString& action) {
        emitSignal(QStringLiteral("ActionInvoked"), {uint(m_ids.lastIndexOf(title) + 1), action});
    }

public Q_SLOTS:
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        log << QStringLiteral("notify ") + summary + QStringLiteral(" | ") + body;
        lastHints = hints;
        lastActions = actions;
        if (replaces != 0 && replaces <= uint(m_ids.size()))
            return replaces;
        m_ids << summary;
        return uint(m_ids.size());
    }

    void CloseNotification(uint id) {
        if (id == 0 || id > uint(m_ids.size()))
            return;
        log << QStringLiteral("close ") + m_ids[id - 1];
        emitSignal(QStringLiteral("NotificationClosed"), {id, 3u});
    }

private:
    void emitSignal(const QString& name, const QVariantList& arguments) {
        QDBusMessage signal =
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                       QStringLiteral("org.freedesktop.Notifications"), name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }

    QDBusConnection m_bus;
    QStringList m_ids; // titles by id - 1
};
