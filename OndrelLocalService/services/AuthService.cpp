#include "OndrelLocalService/services/AuthService.h"

#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "OndrelLocalService/state/Identifiers.h"

#include <QTimeZone>

namespace {
Instant after(Instant start, std::chrono::seconds ttl) {
    return Instant{start.time + ttl};
}

ServiceError unauthorized() {
    return ServiceError(401, QStringLiteral("Требуется вход: токен неизвестен или истёк"));
}
} // namespace

AuthResponse AuthService::loginYandex(const QString& yandexToken) {
    if (yandexToken.trimmed().isEmpty())
        throw ServiceError(400, QStringLiteral("accessToken: пустой токен Яндекса"));
    return signInDemo();
}

AuthResponse AuthService::signInDemo() {
    return m_store.change([&] {
        if (const std::optional<User> existing = m_store.user(QString::fromLatin1(demoUserId)))
            return issue(*existing, false);
        const User user{.id = QString::fromLatin1(demoUserId),
                        .email = QStringLiteral("demo@ondrel.local"),
                        .displayName = QStringLiteral("Демо-пользователь"),
                        .timezone = QString::fromUtf8(QTimeZone::systemTimeZoneId()),
                        .locale = QStringLiteral("ru_RU")};
        m_store.put(user);
        DemoSeed::populate(m_store, user.id, m_settings.seed);
        return issue(user, true);
    });
}

AuthResponse AuthService::refresh(const QString& refreshToken) {
    return m_store.change([&] {
        const std::optional<QString> owner =
            m_store.tokenOwner(ServiceStore::TokenKind::refresh, refreshToken, m_store.now());
        const std::optional<User> user = owner ? m_store.user(*owner) : std::nullopt;
        if (!user)
            throw unauthorized();
        m_store.revoke(ServiceStore::TokenKind::refresh, refreshToken); // spent
        return issue(*user, false);
    });
}

QString AuthService::authenticate(const QString& accessToken) const {
    if (std::optional<QString> owner =
            m_store.tokenOwner(ServiceStore::TokenKind::access, accessToken, m_store.now()))
        return *owner;
    throw unauthorized();
}

User AuthService::me(const QString& userId) const {
    if (const std::optional<User> user = m_store.user(userId))
        return *user;
    throw unauthorized();
}

AuthResponse AuthService::issue(const User& user, bool created) {
    const Instant now = m_store.now();
    AuthResponse response{.user = user,
                          .created = created,
                          .accessToken = Identifiers::token(),
                          .refreshToken = Identifiers::token(),
                          .accessExpiresAt = after(now, m_settings.accessTTL),
                          .refreshExpiresAt = after(now, m_settings.refreshTTL)};
    m_store.grant(ServiceStore::TokenKind::access, response.accessToken, user.id,
                  response.accessExpiresAt);
    m_store.grant(ServiceStore::TokenKind::refresh, response.refreshToken, user.id,
                  response.refreshExpiresAt);
    m_store.pruneTokens(user.id, now, sessionsKept);
    return response;
}
