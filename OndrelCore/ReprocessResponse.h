#pragma once

#include "OndrelCore/ApplyResult.h"
#include "OndrelCore/ProcessingRun.h"

#include <QList>
#include <QString>

#include <optional>

// The answer to reprocessing a capture.
struct ReprocessResponse {
    std::optional<ProcessingRun> run{};
    std::optional<ApplyResult> result{};

    friend bool operator==(const ReprocessResponse&, const ReprocessResponse&) = default;
};
