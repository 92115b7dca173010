#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QString>

#include <chrono>
#include <deque>
#include <functional>

// One-time tokens for the sign-in page's form: a post is honoured only with a token the page
// handed out, so a page of another site, which cannot read ours, cannot sign in on its own.
// Each token is spent by its first use; only the newest few are kept, for a limited time, so
// however many pages are requested the memory stays bounded.
class FormTokens {
public:
    using Clock = std::function<Instant()>;

    static constexpr qsizetype kept = 32;
    static constexpr std::chrono::minutes lifetime{10};

    explicit FormTokens(Clock clock) : m_clock(std::move(clock)) {}

    // A new token; the oldest one goes when more than `kept` are outstanding.
    QString issue();
    // True once for a token issued less than `lifetime` ago and not yet spent.
    bool spend(const QString& token);

private:
    struct Issued {
        QString token;
        Instant expiresAt;
    };
    void dropExpired();

    Clock m_clock;
    std::deque<Issued> m_issued; // oldest first, so also by expiry
};
