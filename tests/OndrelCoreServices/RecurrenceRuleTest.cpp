#include "OndrelCore/RecurrenceRule.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

using Freq = RecurrenceRule::Freq;

RecurrenceRule rule(Freq freq, qint64 interval = 1, std::optional<qint64> byMonthDay = {},
                    std::optional<qint64> byMonth = {}, QList<int> byWeekday = {}) {
    return RecurrenceRule{freq, interval, byMonthDay, byMonth, std::move(byWeekday)};
}

struct ParseCase {
    const char* name;
    QStringView text;
    std::optional<RecurrenceRule> expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.text.toString().toStdString();
}

class RecurrenceParse : public testing::TestWithParam<ParseCase> {};

TEST_P(RecurrenceParse, readsTheForgivingSubset) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(RecurrenceRule::parse(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Documented, RecurrenceParse,
    testing::Values(
        ParseCase{"weekly", u"FREQ=WEEKLY", rule(Freq::weekly)},
        ParseCase{"lowerCase", u"rrule:freq=daily;interval=3", rule(Freq::daily, 3)},
        ParseCase{"monthDay", u"RRULE:FREQ=MONTHLY;BYMONTHDAY=31", rule(Freq::monthly, 1, 31)},
        ParseCase{"lastMonthDay", u"FREQ=MONTHLY;BYMONTHDAY=-1", rule(Freq::monthly, 1, -1)},
        ParseCase{"badMonthDay", u"FREQ=MONTHLY;BYMONTHDAY=X", rule(Freq::monthly)},
        ParseCase{"yearly", u"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", rule(Freq::yearly, 1, 29, 2)},
        ParseCase{"weekdays", u"FREQ=WEEKLY;BYDAY=MO, we ,XX,FR,MO",
                  rule(Freq::weekly, 1, {}, {}, {1, 3, 5, 1})},
        ParseCase{"ordinalWeekday", u"FREQ=WEEKLY;BYDAY=1MO", rule(Freq::weekly)},
        ParseCase{"spacedKey", u"FREQ=DAILY; INTERVAL=2", rule(Freq::daily)},
        ParseCase{"zeroInterval", u"FREQ=DAILY;INTERVAL=0", rule(Freq::daily, 0)},
        ParseCase{"plusInterval", u"FREQ=DAILY;INTERVAL=+4", rule(Freq::daily, 4)},
        ParseCase{"wordInterval", u"FREQ=DAILY;INTERVAL=abc", rule(Freq::daily)},
        ParseCase{"lastFreqWins", u"FREQ=DAILY;FREQ=WEEKLY", rule(Freq::weekly)},
        ParseCase{"hourly", u"FREQ=HOURLY", std::nullopt},
        ParseCase{"noFreq", u"INTERVAL=2", std::nullopt},
        ParseCase{"emptyFreq", u"FREQ=", std::nullopt}, ParseCase{"empty", u"", std::nullopt},
        ParseCase{"otherParts", u"FREQ=DAILY;;COUNT=5;UNTIL=20250101T000000Z", rule(Freq::daily)},
        ParseCase{"valueWithEquals", u"FREQ=DAILY=X", std::nullopt},
        ParseCase{"leadingEquals", u"=FREQ=DAILY", rule(Freq::daily)}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Splitting, RecurrenceParse,
    testing::Values(
        ParseCase{"spacedFreqValue", u"FREQ= DAILY", std::nullopt},
        ParseCase{"freqWithoutEquals", u"FREQ", std::nullopt},
        ParseCase{"onlyEquals", u"===", std::nullopt},
        ParseCase{"manyLeadingEquals", u"==FREQ=WEEKLY;==INTERVAL=2", rule(Freq::weekly, 2)},
        ParseCase{"doubledEqualsIsValue", u"FREQ==DAILY", std::nullopt},
        ParseCase{"emptySemicolons", u";;FREQ=DAILY;;INTERVAL=5;", rule(Freq::daily, 5)},
        ParseCase{"emptyValueSkipped", u"FREQ=WEEKLY;BYDAY=", rule(Freq::weekly)},
        ParseCase{"lastIntervalWins", u"FREQ=DAILY;INTERVAL=2;INTERVAL=x", rule(Freq::daily)},
        ParseCase{"rruleAnywhere", u"FREQ=RRULE:WEEKLY;RRULE:INTERVAL=2", rule(Freq::weekly, 2)},
        ParseCase{"rruleRepeated", u"RRULE:RRULE:FREQ=DAILY", rule(Freq::daily)},
        // One left-to-right pass: removing the inner "RRULE:" does not make a new one count.
        ParseCase{"rruleSinglePass", u"RRRULE:ULE:FREQ=DAILY", std::nullopt},
        ParseCase{"rruleWithoutColon", u"RRULE;FREQ=DAILY", rule(Freq::daily)},
        ParseCase{"noRangeChecks", u"FREQ=YEARLY;BYMONTH=13;BYMONTHDAY=0;INTERVAL=-2",
                  rule(Freq::yearly, -2, 0, 13)},
        ParseCase{"weekdayPiecesEmptyAndRepeated", u"FREQ=WEEKLY;BYDAY=,,su,,SU,",
                  rule(Freq::weekly, 1, {}, {}, {7, 7})},
        ParseCase{"weekdayInnerSpace", u"FREQ=WEEKLY;BYDAY=M O,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        ParseCase{"weekdayNegativeOrdinal", u"FREQ=MONTHLY;BYDAY=-1FR,+2TH", rule(Freq::monthly)}),
    [](const auto& info) { return std::string(info.param.name); });

// Signed decimal in 64 bits, whole value, ASCII digits only.
INSTANTIATE_TEST_SUITE_P(
    Integers, RecurrenceParse,
    testing::Values(
        ParseCase{"maximum", u"FREQ=DAILY;INTERVAL=9223372036854775807",
                  rule(Freq::daily, std::numeric_limits<qint64>::max())},
        ParseCase{"minimum", u"FREQ=DAILY;INTERVAL=-9223372036854775808",
                  rule(Freq::daily, std::numeric_limits<qint64>::min())},
        ParseCase{"overflow", u"FREQ=DAILY;INTERVAL=9223372036854775808", rule(Freq::daily)},
        ParseCase{"underflow", u"FREQ=DAILY;INTERVAL=-9223372036854775809", rule(Freq::daily)},
        ParseCase{"hugeMonthDay", u"FREQ=MONTHLY;BYMONTHDAY=99999999999999999999",
                  rule(Freq::monthly)},
        ParseCase{"leadingZeros", u"FREQ=DAILY;INTERVAL=0007", rule(Freq::daily, 7)},
        ParseCase{"minusZero", u"FREQ=DAILY;INTERVAL=-0", rule(Freq::daily, 0)},
        ParseCase{"loneSign", u"FREQ=DAILY;INTERVAL=-", rule(Freq::daily)},
        ParseCase{"twoSigns", u"FREQ=DAILY;INTERVAL=+-3", rule(Freq::daily)},
        ParseCase{"innerSpace", u"FREQ=DAILY;INTERVAL=1 2", rule(Freq::daily)},
        ParseCase{"trailingSpace", u"FREQ=DAILY;INTERVAL=2 ", rule(Freq::daily)},
        ParseCase{"hex", u"FREQ=DAILY;INTERVAL=0x10", rule(Freq::daily)},
        ParseCase{"exponent", u"FREQ=DAILY;INTERVAL=1e3", rule(Freq::daily)},
        ParseCase{"fraction", u"FREQ=DAILY;INTERVAL=1.0", rule(Freq::daily)},
        ParseCase{"fullwidthDigit", u"FREQ=DAILY;INTERVAL=\uFF13", rule(Freq::daily)},
        ParseCase{"arabicIndicDigit", u"FREQ=DAILY;INTERVAL=\u0663", rule(Freq::daily)}),
    [](const auto& info) { return std::string(info.param.name); });

// Full Unicode upper-casing before anything is matched, and Unicode-aware trimming of weekdays.
INSTANTIATE_TEST_SUITE_P(
    Unicode, RecurrenceParse,
    testing::Values(
        // Dotless i and long s upper-case to I and S.
        ParseCase{"dotlessI", u"freq=da\u0131ly", rule(Freq::daily)},
        ParseCase{"longS", u"FREQ=WEEKLY;BYDAY=\u017Fu,\u017Fa",
                  rule(Freq::weekly, 1, {}, {}, {7, 6})},
        // "ß" becomes "SS": the text grows, and what follows must still line up.
        ParseCase{"sharpSGrowsText", u"X=\u00DF\u00DF\u00DF;freq=monthly;bymonthday=3",
                  rule(Freq::monthly, 1, 3)},
        ParseCase{"sharpSInKey", u"FREQ=DAILY;\u00DF=2;INTERVAL=4", rule(Freq::daily, 4)},
        // The ligature "ﬅ" upper-cases to "ST", never to a weekday or a key by accident.
        ParseCase{"ligature", u"FREQ=WEEKLY;BYDAY=\uFB05,MO", rule(Freq::weekly, 1, {}, {}, {1})},
        ParseCase{"tabAndNoBreakSpace", u"FREQ=WEEKLY;BYDAY=\tMO\u00A0,\u3000TU\u2009",
                  rule(Freq::weekly, 1, {}, {}, {1, 2})},
        ParseCase{"otherSpaceSeparators", u"FREQ=WEEKLY;BYDAY=\u2002WE\u202F,\u205FTH\u1680",
                  rule(Freq::weekly, 1, {}, {}, {3, 4})},
        ParseCase{"lineFeedNotTrimmed", u"FREQ=WEEKLY;BYDAY=MO\n,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        ParseCase{"carriageReturnNotTrimmed", u"FREQ=WEEKLY;BYDAY=\rMO,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        ParseCase{"lineSeparatorNotTrimmed", u"FREQ=WEEKLY;BYDAY=MO\u2028,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        ParseCase{"nextLineNotTrimmed", u"FREQ=WEEKLY;BYDAY=MO\u0085,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        ParseCase{"verticalTabNotTrimmed", u"FREQ=WEEKLY;BYDAY=\vMO,\fTU", rule(Freq::weekly)},
        ParseCase{"zeroWidthSpaceNotASpace", u"FREQ=WEEKLY;BYDAY=\u200BMO,TU",
                  rule(Freq::weekly, 1, {}, {}, {2})},
        // Keys and FREQ values are never trimmed, even of Unicode spaces.
        ParseCase{"noBreakSpaceInFreq", u"FREQ=DAILY\u00A0", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecurrenceRule, ignoresTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const auto parsed = RecurrenceRule::parse(u"freq=daily;interval=2;byday=mi,fr");
    QLocale::setDefault(previous);
    EXPECT_EQ(parsed, rule(Freq::daily, 2, {}, {}, {5}));
}

TEST(RecurrenceRule, freqTextIsExactAndCaseSensitive) {
    for (const Freq freq : allCases<Freq>())
        EXPECT_EQ(fromRawValue<Freq>(rawValue(freq)), freq);
    EXPECT_EQ(rawValue(Freq::monthly), QStringLiteral("MONTHLY"));
    EXPECT_EQ(fromRawValue<Freq>(u"daily"), std::nullopt);
    EXPECT_EQ(fromRawValue<Freq>(u"DAILY "), std::nullopt);
}

} // namespace
