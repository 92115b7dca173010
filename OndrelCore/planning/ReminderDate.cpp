#include "OndrelCore/planning/ReminderDate.h"

#include <cmath>
#include <limits>

namespace {

using Rep = Instant::Duration::rep;

Instant fromMicros(Rep micros) {
    return Instant{std::chrono::sys_time<Instant::Duration>{Instant::Duration{micros}}};
}

} // namespace

Instant reminderDate(Instant due, std::optional<qint64> leadMinutes) {
    if (!leadMinutes)
        return due;
    constexpr Rep lowest = std::numeric_limits<Rep>::min();
    constexpr Rep highest = std::numeric_limits<Rep>::max();
    // The lead is elapsed time in floating-point seconds. A lead beyond the clock's range pins
    // the result to the clock's end instead of wrapping round.
    const double lead = double(*leadMinutes) * 60.0 * 1e6;
    if (lead >= double(highest))
        return fromMicros(lowest);
    if (lead <= double(lowest))
        return fromMicros(highest);
    const Rep dueMicros = due.time.time_since_epoch().count();
    Rep result = 0;
    if (__builtin_sub_overflow(dueMicros, Rep(std::llround(lead)), &result))
        return fromMicros(lead > 0 ? lowest : highest);
    return fromMicros(result);
}
