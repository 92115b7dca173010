#include "OndrelUI/session/AuthSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

namespace {

const QString accessKey = QStringLiteral("access");
const QString refreshKey = QStringLiteral("refresh");

std::optional<QString> textEntry(const QVariantMap& record, const QString& key) {
    const QVariant value = record.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Makes the token file readable by its owner only before anything is written into it: a new
// one is created so, an existing one (other settings may have made it) is restricted first.
// QSettings keeps the file's permissions when it rewrites it. False when that cannot be done;
// settings that are no file (a registry) count as private.
bool makeOwnerOnly(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isAbsolute())
        return true;
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            file.close();
    }
    return QFile::setPermissions(fileName, ownerOnly);
}

} // namespace

AuthSession::AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                         QSettings* settings, QObject* parent)
    : QObject(parent), m_baseURL(std::move(baseURL)), m_transport(std::move(transport)),
      m_settings(settings) {
    const QVariant stored = m_settings->value(QLatin1String(storeKey));
    if (stored.typeId() != QMetaType::QVariantMap && stored.typeId() != QMetaType::QVariantHash)
        return; // no record, or something that is not one: signed out
    const QVariantMap record = stored.toMap();
    m_accessToken = textEntry(record, accessKey);
    m_refreshTokenValue = textEntry(record, refreshKey);
}

void AuthSession::set(const QString& access, const QString& refresh) {
    const bool changed = m_accessToken != access;
    m_accessToken = access;
    m_refreshTokenValue = refresh;

    // Tokens that cannot be kept privately are kept for this run only.
    if (makeOwnerOnly(m_settings->fileName())) {
        m_settings->setValue(QLatin1String(storeKey),
                             QVariantMap{{accessKey, access}, {refreshKey, refresh}});
        m_settings->sync();
    }

    if (changed)
        Q_EMIT accessTokenChanged();
}

void AuthSession::logout() {
    const bool changed = m_accessToken.has_value();
    m_accessToken.reset();
    m_refreshTokenValue.reset();
    m_settings->remove(QLatin1String(storeKey));
    m_settings->sync();
    if (changed)
        Q_EMIT accessTokenChanged();
}

QCoro::Task<void> AuthSession::refreshTokens() {
    if (!m_refreshTokenValue)
        throw APIError::unauthorized();
    const QPointer<AuthSession> self(this);
    const APIClient client(m_baseURL, m_transport, std::nullopt);
    auto renewal = client.refresh(*m_refreshTokenValue);
    const AuthResponse renewed = co_await std::move(renewal);
    if (!self)
        throw APIError::unauthorized(); // the session is gone: there is nobody to hand the pair to
    set(renewed.accessToken, renewed.refreshToken);
}
