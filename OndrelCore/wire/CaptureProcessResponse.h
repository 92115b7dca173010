#pragma once

#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/ProcessingRun.h"

#include <QList>
#include <QString>

#include <optional>

// The answer to a new capture.
struct CaptureProcessResponse {
    Capture capture{};
    std::optional<ProcessingRun> run{};
    std::optional<ApplyResult> result{};

    friend bool operator==(const CaptureProcessResponse&, const CaptureProcessResponse&) = default;
};
