#include "OndrelCore/planning/RecurrenceRule.h"

#include <QHash>

#include <array>
#include <limits>
#include <utility>

namespace {

// Whole text: an optional sign, then one or more ASCII digits, within 64 bits. Nothing else.
std::optional<qint64> decimalInteger(QStringView text) {
    qsizetype pos = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        pos = 1;
    }
    if (pos == text.size())
        return std::nullopt;
    // Accumulate towards the sign so that the most negative value fits too.
    qint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = int(c - u'0');
        if (__builtin_mul_overflow(value, 10, &value))
            return std::nullopt;
        if (negative ? __builtin_sub_overflow(value, digit, &value)
                     : __builtin_add_overflow(value, digit, &value))
            return std::nullopt;
    }
    return value;
}

// Spaces, tabs and the other Unicode space separators; line breaks are not trimmed.
bool isBlank(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimmedBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

std::optional<int> weekdayNumber(QStringView code) {
    static constexpr std::array<std::pair<char16_t const*, int>, 7> table{{
        {u"MO", 1},
        {u"TU", 2},
        {u"WE", 3},
        {u"TH", 4},
        {u"FR", 5},
        {u"SA", 6},
        {u"SU", 7},
    }};
    for (const auto& [text, number] : table)
        if (code == QStringView(text))
            return number;
    return std::nullopt;
}

// "KEY=VALUE" parts; leading "=" are skipped, the value keeps any further "=". The last
// occurrence of a key wins. Keys and values are not trimmed.
QHash<QStringView, QStringView> keyValues(QStringView text) {
    QHash<QStringView, QStringView> values;
    for (QStringView part : text.tokenize(u';', Qt::SkipEmptyParts)) {
        while (!part.isEmpty() && part.front() == u'=')
            part = part.sliced(1);
        const qsizetype equals = part.indexOf(u'=');
        if (equals <= 0 || equals == part.size() - 1)
            continue;
        values.insert(part.first(equals), part.sliced(equals + 1));
    }
    return values;
}

QList<int> weekdays(QStringView list) {
    QList<int> numbers;
    for (QStringView piece : list.tokenize(u',', Qt::SkipEmptyParts))
        if (const auto number = weekdayNumber(trimmedBlanks(piece)))
            numbers.append(*number);
    return numbers;
}

} // namespace

std::optional<RecurrenceRule> RecurrenceRule::parse(QStringView text) {
    // Full, locale-independent case mapping ("ß" becomes "SS"), then every "RRULE:" goes,
    // wherever it stands.
    QString normalised = text.toString().toUpper();
    normalised.remove(QStringLiteral("RRULE:"), Qt::CaseSensitive);

    const auto values = keyValues(normalised);
    const auto freqText = values.find(u"FREQ");
    if (freqText == values.end())
        return std::nullopt;
    const auto freq = fromRawValue<Freq>(*freqText);
    if (!freq)
        return std::nullopt;

    const auto number = [&](QStringView key) -> std::optional<qint64> {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : decimalInteger(*found);
    };
    const auto byDay = values.find(u"BYDAY");
    return RecurrenceRule{
        .freq = *freq,
        .interval = number(u"INTERVAL").value_or(1),
        .byMonthDay = number(u"BYMONTHDAY"),
        .byMonth = number(u"BYMONTH"),
        .byWeekday = byDay == values.end() ? QList<int>{} : weekdays(*byDay),
    };
}
