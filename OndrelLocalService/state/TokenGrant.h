#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QString>

// One issued token: the opaque text, whose it is, and until when it is honoured.
struct TokenGrant {
    QString token;
    QString userId;
    Instant expiresAt;

    friend bool operator==(const TokenGrant&, const TokenGrant&) = default;
};
