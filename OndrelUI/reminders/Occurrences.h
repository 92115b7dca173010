#pragma once

#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelCore/wire/Instant.h"

#include <optional>

// The first occurrence strictly after `after` of a task due at `start`, repeating by `rule`
// (none: `start` alone). Occurrences keep the local wall time of `start` across changes of
// daylight-saving time; `start` itself always counts. Searches about ten years ahead at most,
// so a rule that never matches (the 31st of February) has no next occurrence.
std::optional<Instant> nextOccurrence(const std::optional<RecurrenceRule>& rule, Instant start,
                                      Instant after);
