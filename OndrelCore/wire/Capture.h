#pragma once

#include "OndrelCore/wire/CaptureStatus.h"
#include "OndrelCore/wire/Instant.h"

#include <QList>
#include <QString>

#include <optional>

// One thing the user said or typed, as the service stores it.
struct Capture {
    QString id{};
    QString userId{};
    std::optional<QString> deviceId{};
    std::optional<QString> audioUrl{};
    std::optional<qint64> durationMs;
    CaptureStatus status = CaptureStatus::uploaded;
    std::optional<QString> latestRunId{};
    std::optional<Instant> retentionUntil{};
    Instant createdAt{};

    friend bool operator==(const Capture&, const Capture&) = default;
};

Q_DECLARE_TYPEINFO(Capture, Q_RELOCATABLE_TYPE);
