#include "OndrelUI/reminders/DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

constexpr uchar normalUrgency = 1;

} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QString desktopEntry,
                                           QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_desktopEntry(std::move(desktopEntry)) {
    if (!m_bus.isConnected()) {
        m_service = Service::absent;
        return;
    }
    m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint, uint)));
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &DesktopNotifications::onCapabilities);
}

void DesktopNotifications::onCapabilities(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<QStringList> reply = *watcher;
    m_service = reply.isValid() ? Service::present : Service::absent;
    if (reply.isValid())
        m_capabilities = reply.value();
    const QList<Notice> waiting = std::exchange(m_waiting, {});
    for (const Notice& notice : waiting)
        show(notice);
}

void DesktopNotifications::show(const Notice& notice) {
    switch (m_service) {
    case Service::asking:
        m_waiting.removeIf([&](const Notice& queued) { return queued.key == notice.key; });
        m_waiting << notice;
        return;
    case Service::absent:
        Q_EMIT undelivered(notice);
        return;
    case Service::present:
        send(notice);
    }
}

void DesktopNotifications::send(const Notice& notice) {
    QStringList actions;
    if (m_capabilities.contains(QStringLiteral("actions")))
        for (const auto& [id, label] : notice.actions)
            actions << id << label;
    // Titles come from the service: markup in them is text.
    const QString body = m_capabilities.contains(QStringLiteral("body-markup"))
                             ? notice.body.toHtmlEscaped()
                             : notice.body;
    // Every hint has a value: an empty variant in a{sv} aborts libdbus.
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), m_desktopEntry},
        {QStringLiteral("resident"), true},
        {QStringLiteral("urgency"), QVariant::fromValue(normalUrgency)},
    };
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QStringLiteral("Ondrel") << m_ids.value(notice.key, 0u) << QStringLiteral("ondrel")
            << notice.title << body << actions << hints << 0;
    m_sending.insert(notice.key, false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* call) { onNotified(notice, call); });
}

void DesktopNotifications::onNotified(const Notice& notice, QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    const bool withdrawn = m_sending.take(notice.key);
    if (!reply.isValid()) {
        if (!withdrawn)
            Q_EMIT undelivered(notice);
        return;
    }
    const uint id = reply.value();
    if (const uint earlier = m_ids.value(notice.key); earlier != 0 && earlier != id)
        forget(earlier);
    m_ids.insert(notice.key, id);
    m_keys.insert(id, notice.key);
    if (withdrawn)
        withdraw(notice.key);
}

void DesktopNotifications::withdraw(const QString& key) {
    m_waiting.removeIf([&](const Notice& queued) { return queued.key == key; });
    if (m_sending.contains(key))
        m_sending[key] = true;
    if (const uint id = m_ids.value(key); id != 0) {
        forget(id);
        close(id);
    }
}

void DesktopNotifications::close(uint id) {
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << id;
    m_bus.asyncCall(message);
}

void DesktopNotifications::forget(uint id) {
    const QString key = m_keys.take(id);
    if (m_ids.value(key) == id)
        m_ids.remove(key);
}

void DesktopNotifications::onActionInvoked(uint id, const QString& action) {
    const QString key = m_keys.value(id);
    if (key.isEmpty())
        return;
    // Some servers keep a notification after its action; it has done its work.
    forget(id);
    close(id);
    Q_EMIT actionInvoked(key, action);
}

void DesktopNotifications::onClosed(uint id, uint) {
    forget(id);
}
