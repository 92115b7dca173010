// libFuzzer entry for the recurrence-rule parser: any text ends in a rule or in nothing, and a
// rule's weekdays are always real ones.
#include "OndrelCore/planning/RecurrenceRule.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto rule = RecurrenceRule::parse(text))
        for (const int weekday : rule->byWeekday)
            if (weekday < 1 || weekday > 7)
                __builtin_trap();
    return 0;
}
