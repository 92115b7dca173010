#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QString>

#include <optional>

// A recorded capture waiting in the outbox, its audio already in Base64. `id` is chosen by
// whoever enqueues it and only tells queued items apart; it is not sent.
struct PendingCapture {
    QString id;
    QString audioBase64;
    QString mimeType;
    std::optional<qint64> durationMs;
    Instant createdAt;

    friend bool operator==(const PendingCapture&, const PendingCapture&) = default;
};
