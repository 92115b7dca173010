#include "OndrelUI/appearance/ColorSchemePortal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Calls `message` without blocking and hands its reply to `done` on this thread.
template <typename Done>
void callAsync(QDBusConnection& bus, const QDBusMessage& message, QObject* context, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done](QDBusPendingCallWatcher*) {
                         watcher->deleteLater();
                         done(QDBusMessage(watcher->reply()));
                     });
}

} // namespace

ColorSchemePortal::ColorSchemePortal(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

void ColorSchemePortal::start() {
    if (!m_bus.isConnected())
        return;
    const QDBusMessage hasOwner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    callAsync(m_bus, QDBusMessage(hasOwner) << portalService, this,
              [this](const QDBusMessage& reply) {
                  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
                      !reply.arguments().constFirst().toBool())
                      return;
                  m_bus.connect(portalService, portalPath, settingsInterface,
                                QStringLiteral("SettingChanged"), this,
                                SLOT(onSettingChanged(QDBusMessage)));
                  read(QStringLiteral("ReadOne"));
              });
}

void ColorSchemePortal::read(const QString& method) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    call << appearanceNamespace << colorSchemeKey;
    callAsync(m_bus, call, this, [this, method](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            return setPrefersDark(preferenceFrom(reply.arguments().constFirst()));
        // Portals before version 2 have only Read.
        if (method == u"ReadOne")
            read(QStringLiteral("Read"));
    });
}

void ColorSchemePortal::onSettingChanged(const QDBusMessage& change) {
    const QList<QVariant> arguments = change.arguments();
    if (arguments.size() == 3 && arguments[0].toString() == appearanceNamespace &&
        arguments[1].toString() == colorSchemeKey)
        setPrefersDark(preferenceFrom(arguments[2]));
}

std::optional<bool> ColorSchemePortal::preferenceFrom(const QVariant& value) {
    QVariant inner = value;
    for (int depth = 0; depth < 2 && inner.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        inner = inner.value<QDBusVariant>().variant();
    if (inner.metaType().id() != QMetaType::UInt)
        return std::nullopt;
    switch (inner.toUInt()) {
    case 1:
        return true;
    case 2:
        return false;
    default:
        return std::nullopt;
    }
}

void ColorSchemePortal::setPrefersDark(std::optional<bool> dark) {
    if (dark == m_prefersDark)
        return;
    m_prefersDark = dark;
    Q_EMIT prefersDarkChanged();
}
