#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/User.h"

#include <QList>
#include <QString>

#include <optional>

// The answer to sign-in and token renewal.
struct AuthResponse {
    User user{};
    bool created = false;
    QString accessToken{};
    QString refreshToken{};
    Instant accessExpiresAt{};
    Instant refreshExpiresAt{};

    friend bool operator==(const AuthResponse&, const AuthResponse&) = default;
};
