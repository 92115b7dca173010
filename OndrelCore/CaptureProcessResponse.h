#pragma once

#include "OndrelCore/ApplyResult.h"
#include "OndrelCore/Capture.h"
#include "OndrelCore/ProcessingRun.h"

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
