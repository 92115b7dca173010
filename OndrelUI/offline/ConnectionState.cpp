#include "OndrelUI/offline/ConnectionState.h"

#include <QDateTime>
#include <QNetworkInformation>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds firstPause{2000};
constexpr std::chrono::milliseconds longestPause{5 * 60 * 1000};

QString updatedAt(const std::optional<Instant>& lastSynced) {
    if (!lastSynced)
        return {};
    const QDateTime local =
        QDateTime::fromMSecsSinceEpoch(lastSynced->toMSecsSinceEpoch()).toLocalTime();
    return QStringLiteral(" · обновлено в ") + local.toString(QStringLiteral("HH:mm"));
}

} // namespace

ConnectionState::ConnectionState(QObject* parent) : QObject(parent) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &ConnectionState::retryDue);
    watchNetwork();
}

// Where no backend loads (a headless session, some desktops) the pauses alone bring it back.
void ConnectionState::watchNetwork() {
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                if (m_offline && reachability == QNetworkInformation::Reachability::Online)
                    Q_EMIT retryDue();
            });
}

void ConnectionState::setLine(bool offline, QString line) {
    if (offline == m_offline && line == m_line)
        return;
    m_offline = offline;
    m_line = std::move(line);
    Q_EMIT changed();
}

void ConnectionState::setUnreachable(const std::optional<Instant>& lastSynced) {
    setLine(true, QStringLiteral("Нет связи с сервисом") + updatedAt(lastSynced));
    const std::chrono::milliseconds pause =
        std::min(longestPause, firstPause * (1 << std::min(m_pauses, 8)));
    ++m_pauses;
    m_retry.start(pause);
}

void ConnectionState::setSyncFailed(const std::optional<Instant>& lastSynced) {
    m_retry.stop();
    setLine(false,
            QStringLiteral("Синхронизация не удалась, F5 — повторить") + updatedAt(lastSynced));
}

void ConnectionState::setReachable() {
    m_retry.stop();
    m_pauses = 0;
    setLine(false, QString());
}
