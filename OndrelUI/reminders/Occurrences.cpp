#include "OndrelUI/reminders/Occurrences.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>

namespace {

constexpr int searchDays = 3660;

bool isMonthDay(QDate day, qint64 monthDay) {
    if (monthDay > 0)
        return day.day() == monthDay;
    if (monthDay < 0)
        return day.day() == day.daysInMonth() + monthDay + 1;
    return false;
}

qint64 weekOf(QDate day) {
    return (day.toJulianDay() - (day.dayOfWeek() - 1)) / 7;
}

// Within a matching month or year: the written day of the month, else the written weekdays,
// else the start's own day.
bool isDayOf(const RecurrenceRule& rule, QDate first, QDate day) {
    if (rule.byMonthDay)
        return isMonthDay(day, *rule.byMonthDay);
    if (!rule.byWeekday.isEmpty())
        return rule.byWeekday.contains(day.dayOfWeek());
    return day.day() == first.day();
}

bool matches(const RecurrenceRule& rule, qint64 step, QDate first, QDate day) {
    using Freq = RecurrenceRule::Freq;
    switch (rule.freq) {
    case Freq::daily:
        return first.daysTo(day) % step == 0;
    case Freq::weekly: {
        if ((weekOf(day) - weekOf(first)) % step != 0)
            return false;
        return rule.byWeekday.isEmpty() ? day.dayOfWeek() == first.dayOfWeek()
                                        : rule.byWeekday.contains(day.dayOfWeek());
    }
    case Freq::monthly: {
        const qint64 months = qint64(day.year() - first.year()) * 12 + day.month() - first.month();
        return months % step == 0 && isDayOf(rule, first, day);
    }
    case Freq::yearly:
        return (day.year() - first.year()) % step == 0 &&
               day.month() == rule.byMonth.value_or(first.month()) && isDayOf(rule, first, day);
    }
    return false;
}

} // namespace

std::optional<Instant> nextOccurrence(const std::optional<RecurrenceRule>& rule, Instant start,
                                      Instant after) {
    if (start > after)
        return start;
    if (!rule)
        return std::nullopt;
    // A rule read from the service may say anything; a step below one repeats nothing sane.
    const qint64 step = std::max<qint64>(rule->interval, 1);
    const QDateTime first = start.toQDateTime().toLocalTime();
    QDate day = std::max(first.date(), after.toQDateTime().toLocalTime().date());
    for (int searched = 0; searched < searchDays; ++searched, day = day.addDays(1)) {
        if (!matches(*rule, step, first.date(), day))
            continue;
        const Instant candidate = Instant::fromQDateTime(QDateTime(day, first.time()));
        if (candidate > after)
            return candidate;
    }
    return std::nullopt;
}
