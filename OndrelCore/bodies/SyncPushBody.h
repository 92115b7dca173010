#pragma once

#include "OndrelCore/bodies/SyncTaskInput.h"

#include <QList>
#include <QString>

#include <optional>

// Request body of a sync push; without tasks it is {}.
struct SyncPushBody {
    std::optional<QList<SyncTaskInput>> tasks{};
};
