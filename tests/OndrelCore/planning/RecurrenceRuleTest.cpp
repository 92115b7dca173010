#include "OndrelCore/planning/RecurrenceRule.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

using Freq = RecurrenceRule::Freq;

RecurrenceRule rule(Freq freq, qint64 interval = 1, std::optional<qint64> byMonthDay = {},
                    std::optional<qint64> byMonth = {}, QList<int> byWeekday = {}) {
    return RecurrenceRule{freq, interval, byMonthDay, byMonth, std::move(byWeekday)};
}

// The forgiving subset, case by case: documented examples, splitting, integers, Unicode.
TEST(RecurrenceRule, readsTheForgivingSubset) {
    const std::pair<QStringView, std::optional<RecurrenceRule>> cases[] = {
        // Documented
        {u"FREQ=WEEKLY", rule(Freq::weekly)},
        {u"rrule:freq=daily;interval=3", rule(Freq::daily, 3)},
        {u"RRULE:FREQ=MONTHLY;BYMONTHDAY=31", rule(Freq::monthly, 1, 31)},
        {u"FREQ=MONTHLY;BYMONTHDAY=X", rule(Freq::monthly)},
        {u"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", rule(Freq::yearly, 1, 29, 2)},
        {u"FREQ=WEEKLY;BYDAY=MO, we ,XX,FR,MO", rule(Freq::weekly, 1, {}, {}, {1, 3, 5, 1})},
        {u"FREQ=WEEKLY;BYDAY=1MO", rule(Freq::weekly)},
        {u"FREQ=DAILY; INTERVAL=2", rule(Freq::daily)},
        {u"FREQ=DAILY;INTERVAL=+4", rule(Freq::daily, 4)},
        {u"FREQ=DAILY;INTERVAL=abc", rule(Freq::daily)},
        {u"FREQ=DAILY;FREQ=WEEKLY", rule(Freq::weekly)},
        {u"FREQ=HOURLY", std::nullopt},
        {u"INTERVAL=2", std::nullopt},
        {u"FREQ=DAILY;;COUNT=5;UNTIL=20250101T000000Z", rule(Freq::daily)},
        {u"FREQ=DAILY=X", std::nullopt},
        // Splitting
        {u"FREQ= DAILY", std::nullopt},
        {u"==FREQ=WEEKLY;==INTERVAL=2", rule(Freq::weekly, 2)},
        {u";;FREQ=DAILY;;INTERVAL=5;", rule(Freq::daily, 5)},
        {u"FREQ=RRULE:WEEKLY;RRULE:INTERVAL=2", rule(Freq::weekly, 2)},
        // One left-to-right pass: removing the inner "RRULE:" does not make a new one count.
        {u"RRRULE:ULE:FREQ=DAILY", std::nullopt},
        {u"FREQ=YEARLY;BYMONTH=13;BYMONTHDAY=0;INTERVAL=-2", rule(Freq::yearly, -2, 0, 13)},
        {u"FREQ=WEEKLY;BYDAY=M O,TU", rule(Freq::weekly, 1, {}, {}, {2})},
        {u"FREQ=MONTHLY;BYDAY=-1FR,+2TH", rule(Freq::monthly)},
        // Integers: Signed decimal in 64 bits, whole value, ASCII digits only.
        {u"FREQ=DAILY;INTERVAL=9223372036854775807",
         rule(Freq::daily, std::numeric_limits<qint64>::max())},
        {u"FREQ=DAILY;INTERVAL=-9223372036854775808",
         rule(Freq::daily, std::numeric_limits<qint64>::min())},
        {u"FREQ=DAILY;INTERVAL=9223372036854775808", rule(Freq::daily)},
        {u"FREQ=DAILY;INTERVAL=0007", rule(Freq::daily, 7)},
        {u"FREQ=DAILY;INTERVAL=+-3", rule(Freq::daily)},
        {u"FREQ=DAILY;INTERVAL=2 ", rule(Freq::daily)},
        {u"FREQ=DAILY;INTERVAL=\uFF13", rule(Freq::daily)},
        // Unicode: Full Unicode upper-casing before anything is matched, and Unicode-aware trimming
        // of weekdays.
        // Dotless i and long s upper-case to I and S.
        {u"freq=da\u0131ly", rule(Freq::daily)},
        {u"FREQ=WEEKLY;BYDAY=\u017Fu,\u017Fa", rule(Freq::weekly, 1, {}, {}, {7, 6})},
        // "ß" becomes "SS": the text grows, and what follows must still line up.
        {u"X=\u00DF\u00DF\u00DF;freq=monthly;bymonthday=3", rule(Freq::monthly, 1, 3)},
        // The ligature "ﬅ" upper-cases to "ST", never to a weekday or a key by accident.
        {u"FREQ=WEEKLY;BYDAY=\uFB05,MO", rule(Freq::weekly, 1, {}, {}, {1})},
        {u"FREQ=WEEKLY;BYDAY=\tMO\u00A0,\u3000TU\u2009", rule(Freq::weekly, 1, {}, {}, {1, 2})},
        {u"FREQ=WEEKLY;BYDAY=MO\n,TU", rule(Freq::weekly, 1, {}, {}, {2})},
        {u"FREQ=WEEKLY;BYDAY=MO\u2028,TU", rule(Freq::weekly, 1, {}, {}, {2})},
        {u"FREQ=WEEKLY;BYDAY=\vMO,\fTU", rule(Freq::weekly)},
        {u"FREQ=WEEKLY;BYDAY=\u200BMO,TU", rule(Freq::weekly, 1, {}, {}, {2})},
        // Keys and FREQ values are never trimmed, even of Unicode spaces.
        {u"FREQ=DAILY\u00A0", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(RecurrenceRule::parse(text), expected) << text.toString().toStdString();
}

TEST(RecurrenceRule, ignoresTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const auto parsed = RecurrenceRule::parse(u"freq=daily;interval=2;byday=mi,fr");
    QLocale::setDefault(previous);
    EXPECT_EQ(parsed, rule(Freq::daily, 2, {}, {}, {5}));
}

} // namespace
