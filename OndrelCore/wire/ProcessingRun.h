#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Intent.h"
#include "OndrelCore/wire/RunInput.h"
#include "OndrelCore/wire/RunStatus.h"

#include <QList>
#include <QString>

#include <optional>

// One attempt of the service's AI to understand a capture.
struct ProcessingRun {
    QString id{};
    QString captureId{};
    qint64 attemptNo = 0;
    RunInput inputType = RunInput::audio;
    std::optional<Intent> intent{};
    std::optional<QString> model{};
    std::optional<QString> rawTranscript{};
    std::optional<QString> editedTranscript{};
    std::optional<double> confidence{};
    RunStatus status = RunStatus::success;
    std::optional<QString> error{};
    std::optional<QString> resultingTaskId{};
    std::optional<QString> supersededById{};
    Instant createdAt{};

    friend bool operator==(const ProcessingRun&, const ProcessingRun&) = default;
};

Q_DECLARE_TYPEINFO(ProcessingRun, Q_RELOCATABLE_TYPE);
