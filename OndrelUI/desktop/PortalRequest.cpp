#include "OndrelUI/desktop/PortalRequest.h"

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

PortalRequest::PortalRequest(QDBusConnection bus, QString path, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_path(std::move(path)) {
    listen(true);
}

PortalRequest::~PortalRequest() {
    listen(false);
}

void PortalRequest::follow(const QString& path) {
    if (path == m_path || path.isEmpty())
        return;
    listen(false);
    m_path = path;
    listen(true);
}

bool PortalRequest::listen(bool on) {
    const QString signal = QStringLiteral("Response");
    if (on)
        return m_bus.connect(portal, m_path, requestInterface, signal, this,
                             SLOT(onResponse(uint, QVariantMap)));
    return m_bus.disconnect(portal, m_path, requestInterface, signal, this,
                            SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint response, const QVariantMap& results) {
    listen(false);
    Q_EMIT answered(response, results);
}
