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
        if (const User* existing = m_store.user(QString::fromLatin1(demoUserId)))
            return issue(*existing, false);
        User user{.id = QString::fromLatin1(demoUserId),
                  .email = QStringLiteral("demo@ondrel.local"),
                  .displayName = QStringLiteral("Демо-пользователь"),
                  .timezone = QString::fromUtf8(QTimeZone::systemTimeZoneId()),
                  .locale = QStringLiteral("ru_RU")};
        m_store.mutableState().users.append(user);
        DemoSeed::populate(m_store, user.id, m_settings.seed);
        return issue(user, true);
    });
}

AuthResponse AuthService::refresh(const QString& refreshToken) {
    return m_store.change([&] {
        const Instant now = m_store.now();
        auto& grants = m_store.mutableState().refreshTokens;
        for (qsizetype i = 0; i < grants.size(); ++i) {
            if (grants[i].token != refreshToken)
                continue;
            const TokenGrant grant = grants.takeAt(i);
            const User* user = m_store.user(grant.userId);
            if (grant.expiresAt <= now || !user)
                break;
            return issue(*user, false);
        }
        throw unauthorized();
    });
}

QString AuthService::authenticate(const QString& accessToken) const {
    const Instant now = m_store.now();
    for (const TokenGrant& grant : m_store.state().accessTokens)
        if (grant.token == accessToken && now < grant.expiresAt)
            return grant.userId;
    throw unauthorized();
}

User AuthService::me(const QString& userId) const {
    if (const User* user = m_store.user(userId))
        return *user;
    throw unauthorized();
}

AuthResponse AuthService::issue(const User& user, bool created) {
    const Instant now = m_store.now();
    pruneExpired(now);
    AuthResponse response{.user = user,
                          .created = created,
                          .accessToken = Identifiers::token(),
                          .refreshToken = Identifiers::token(),
                          .accessExpiresAt = after(now, m_settings.accessTTL),
                          .refreshExpiresAt = after(now, m_settings.refreshTTL)};
    ServiceState& state = m_store.mutableState();
    state.accessTokens.append({response.accessToken, user.id, response.accessExpiresAt});
    state.refreshTokens.append({response.refreshToken, user.id, response.refreshExpiresAt});
    return response;
}

void AuthService::pruneExpired(Instant now) {
    ServiceState& state = m_store.mutableState();
    const auto expired = [now](const TokenGrant& grant) { return grant.expiresAt <= now; };
    state.accessTokens.removeIf(expired);
    state.refreshTokens.removeIf(expired);
}
