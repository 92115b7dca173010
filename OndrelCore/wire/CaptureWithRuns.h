#pragma once

#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/ProcessingRun.h"

#include <QList>
#include <QString>

#include <optional>

// A capture with its run history.
struct CaptureWithRuns {
    Capture capture{};
    QList<ProcessingRun> runs{};

    friend bool operator==(const CaptureWithRuns&, const CaptureWithRuns&) = default;
};
