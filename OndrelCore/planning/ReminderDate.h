#pragma once

#include "OndrelCore/wire/Instant.h"

#include <optional>

// When a reminder fires: `leadMinutes` × 60 seconds before `due`, plain elapsed time with no
// calendar arithmetic; `due` itself without a lead. Saturates at the ends of Instant's range.
Instant reminderDate(Instant due, std::optional<qint64> leadMinutes);
