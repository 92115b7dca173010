#include "OndrelUI/desktop/GlobalShortcuts.h"

#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/desktop/PortalRequest.h"
#include "OndrelUI/desktop/PortalShortcut.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>
#include <QUuid>

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QDBusMessage portalCall(const QString& method) {
    return QDBusMessage::createMethodCall(portal, portalPath, shortcutsInterface, method);
}

// Unique per request and made of object-path characters only.
QString newToken() {
    return QStringLiteral("ondrel_") + QUuid::createUuid().toString(QUuid::Id128);
}

PortalShortcut shortcut(const QString& id, const QString& description, const QString& trigger) {
    return {id,
            {{QStringLiteral("description"), description},
             {QStringLiteral("preferred_trigger"), trigger}}};
}

// "session_handle" is a string in the answer; older portals sent an object path.
QString sessionHandle(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

GlobalShortcuts::GlobalShortcuts(QDBusConnection bus, CaptureRequests* requests, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_requests(requests) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

void GlobalShortcuts::start() {
    if (!m_bus.isConnected()) {
        Q_EMIT unavailable();
        return;
    }
    // An old portal, or none, answers this with an error instead of a version.
    QDBusMessage version = QDBusMessage::createMethodCall(
        portal, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    version << shortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(version), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isValid())
            createSession();
        else
            Q_EMIT unavailable();
    });
}

void GlobalShortcuts::createSession() {
    const QString token = newToken();
    QDBusMessage message = portalCall(QStringLiteral("CreateSession"));
    message << QVariantMap{{QStringLiteral("handle_token"), token},
                           {QStringLiteral("session_handle_token"), newToken()}};
    call(message, token, [this](const QVariantMap& results) {
        m_session = sessionHandle(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            Q_EMIT unavailable();
            return;
        }
        m_bus.connect(portal, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                      SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        bindShortcuts();
    });
}

void GlobalShortcuts::bindShortcuts() {
    const QList<PortalShortcut> shortcuts{
        shortcut(recordId(), CaptureRequests::recordText(), QStringLiteral("CTRL+ALT+r")),
        shortcut(writeId(), CaptureRequests::writeText(), QStringLiteral("CTRL+ALT+n")),
    };
    const QString token = newToken();
    QDBusMessage message = portalCall(QStringLiteral("BindShortcuts"));
    message << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts)
            << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    call(message, token, [this](const QVariantMap&) { Q_EMIT bound(); });
}

// The answer arrives as a Response on the request's path; 0 is success, anything else (the
// user cancelled, the portal failed) leaves the shortcuts unregistered.
void GlobalShortcuts::call(QDBusMessage message, const QString& token, Answer then) {
    auto* request = new PortalRequest(m_bus, requestPath(token), this);
    connect(request, &PortalRequest::answered, this,
            [this, request, then](uint response, const QVariantMap& results) {
                request->deleteLater();
                if (response == 0)
                    then(results);
                else
                    Q_EMIT unavailable();
            });
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    // The Response may come before the call's own reply, and with it the request goes.
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, request = QPointer<PortalRequest>(request)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (!request)
                    return;
                if (!reply.isValid()) {
                    request->deleteLater();
                    Q_EMIT unavailable();
                    return;
                }
                request->follow(reply.value().path());
            });
}

QString GlobalShortcuts::requestPath(const QString& token) const {
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    return portalPath + QStringLiteral("/request/") + sender + u'/' + token;
}

void GlobalShortcuts::onActivated(const QDBusObjectPath& session, const QString& shortcutId,
                                  qulonglong, const QVariantMap&) {
    if (session.path() != m_session)
        return;
    if (shortcutId == recordId())
        m_requests->record();
    else if (shortcutId == writeId())
        m_requests->write();
}
