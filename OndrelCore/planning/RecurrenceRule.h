#pragma once

#include "OndrelCore/wire/WireEnum.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// A task's repetition, read from RRULE text (a forgiving subset of RFC 5545). The rule is only
// read and handed on; occurrences are the calendar's business.
struct RecurrenceRule {
    enum class Freq { daily, weekly, monthly, yearly };

    Freq freq = Freq::daily;
    qint64 interval = 1;
    std::optional<qint64> byMonthDay; // as written, unchecked
    std::optional<qint64> byMonth;    // as written, unchecked
    QList<int> byWeekday;             // Monday = 1 ... Sunday = 7, in the order written

    // Reads FREQ, INTERVAL, BYMONTHDAY, BYMONTH and BYDAY, case-insensitively; ignores other
    // parts. No value without a known FREQ.
    static std::optional<RecurrenceRule> parse(QStringView text);

    friend bool operator==(const RecurrenceRule&, const RecurrenceRule&) = default;
};

template <>
struct WireEnum<RecurrenceRule::Freq> {
    using Freq = RecurrenceRule::Freq;
    static constexpr std::string_view typeName = "Freq";
    static constexpr bool listsAllCases = true;
    static constexpr std::array<WireCase<Freq>, 4> cases{
        WireCase<Freq>{Freq::daily, "DAILY"},
        WireCase<Freq>{Freq::weekly, "WEEKLY"},
        WireCase<Freq>{Freq::monthly, "MONTHLY"},
        WireCase<Freq>{Freq::yearly, "YEARLY"},
    };
};
