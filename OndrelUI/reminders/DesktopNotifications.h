#pragma once

#include "OndrelUI/reminders/Notice.h"

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QDBusPendingCallWatcher;

// Raises notices through the desktop's notification service, every call asynchronous. The
// service's capabilities are asked once; notices wait for the answer. Without a service, or
// when one refuses a notice, `undelivered` hands the notice back so it can be shown elsewhere.
// Signals from the service are matched against the ids it gave our own notices.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    DesktopNotifications(QDBusConnection bus, QString desktopEntry, QObject* parent = nullptr);

    // Shows `notice`, replacing one shown before under the same key.
    void show(const Notice& notice);
    // Closes the notice with that key, also one whose Notify is still under way.
    void withdraw(const QString& key);

Q_SIGNALS:
    void actionInvoked(const QString& key, const QString& action);
    void undelivered(const Notice& notice);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    enum class Service { asking, present, absent };

    void onCapabilities(QDBusPendingCallWatcher* call);
    void send(const Notice& notice);
    void onNotified(const Notice& notice, QDBusPendingCallWatcher* call);
    void close(uint id);
    void forget(uint id);

    QDBusConnection m_bus;
    QString m_desktopEntry;
    Service m_service = Service::asking;
    QStringList m_capabilities;
    QList<Notice> m_waiting;
    QHash<QString, uint> m_ids;
    QHash<uint, QString> m_keys;
    // Keys whose Notify is on its way, and whether they were withdrawn meanwhile.
    QHash<QString, bool> m_sending;
};
