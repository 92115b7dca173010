#pragma once

#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelLocalService/state/ServiceStore.h"

#include <chrono>

// Sign-in, token issue and renewal. Every Yandex token stands for the one demo account; its
// first sign-in creates the account with its inbox (and, unless told not to, sample data).
class AuthService {
public:
    struct Settings {
        std::chrono::seconds accessTTL{900};
        std::chrono::seconds refreshTTL{30 * 24 * 3600};
        bool seed = true;
    };

    AuthService(ServiceStore& store, Settings settings) : m_store(store), m_settings(settings) {}

    AuthResponse signInDemo();
    AuthResponse loginYandex(const QString& yandexToken);
    // Rotates the pair: the presented refresh token is spent.
    AuthResponse refresh(const QString& refreshToken);
    // The user a bearer token belongs to; 401 when it is unknown or expired.
    QString authenticate(const QString& accessToken) const;
    User me(const QString& userId) const;

    static constexpr auto demoUserId = "demo";
    // Sign-ins of one user that stay valid at once; each new one ends the oldest beyond these,
    // and expired tokens go at every sign-in and renewal.
    static constexpr qsizetype sessionsKept = 100;

private:
    AuthResponse issue(const User& user, bool created);

    ServiceStore& m_store;
    Settings m_settings;
};
