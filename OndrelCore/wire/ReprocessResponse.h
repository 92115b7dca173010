#pragma once

#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/ProcessingRun.h"

#include <QList>
#include <QString>

#include <optional>

// The answer to reprocessing a capture.
struct ReprocessResponse {
    std::optional<ProcessingRun> run{};
    std::optional<ApplyResult> result{};

    friend bool operator==(const ReprocessResponse&, const ReprocessResponse&) = default;
};
