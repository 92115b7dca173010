#include "OndrelCore/wire/Instant.h"

#include <charconv>
#include <cstdio>

using namespace std::chrono;

namespace {

// Reads exactly `width` decimal digits at `pos`.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t width) {
    if (pos + width > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool at(std::string_view text, std::size_t pos, char expected) {
    return pos < text.size() && text[pos] == expected;
}

std::string format(sys_time<Instant::Duration> time, bool withMillis) {
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<milliseconds>(time - day)};
    char buffer[40];
    int length = 0;
    if (withMillis)
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                               int(date.year()), unsigned(date.month()), unsigned(date.day()),
                               int(clock.hours().count()), int(clock.minutes().count()),
                               int(clock.seconds().count()), int(clock.subseconds().count()));
    else
        length =
            std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                          unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                          int(clock.minutes().count()), int(clock.seconds().count()));
    return std::string(buffer, std::size_t(length));
}

} // namespace

Instant Instant::now() {
    return Instant{time_point_cast<Duration>(system_clock::now())};
}

Instant Instant::fromMSecsSinceEpoch(qint64 msecs) {
    return Instant{sys_time<Duration>{milliseconds{msecs}}};
}

Instant Instant::fromQDateTime(const QDateTime& dateTime) {
    return fromMSecsSinceEpoch(dateTime.toMSecsSinceEpoch());
}

qint64 Instant::toMSecsSinceEpoch() const {
    return floor<milliseconds>(time.time_since_epoch()).count();
}

QDateTime Instant::toQDateTime() const {
    return QDateTime::fromMSecsSinceEpoch(toMSecsSinceEpoch(), Qt::UTC);
}

std::optional<Instant> Instant::fromISO8601(std::string_view text) {
    // YYYY-MM-DDThh:mm:ss
    const auto y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const auto h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s || !at(text, 4, '-') || !at(text, 7, '-') ||
        !(at(text, 10, 'T') || at(text, 10, 't')) || !at(text, 13, ':') || !at(text, 16, ':'))
        return std::nullopt;
    const year_month_day date{year{*y}, month{unsigned(*mo)}, day{unsigned(*d)}};
    if (!date.ok() || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;

    std::size_t pos = 19;
    microseconds fraction{0};
    if (at(text, pos, '.')) {
        ++pos;
        const std::size_t start = pos;
        std::int64_t micros = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (pos - start < 6)
                micros = micros * 10 + (text[pos] - '0');
            ++pos;
        }
        const std::size_t count = pos - start;
        if (count < 1 || count > 9)
            return std::nullopt;
        for (std::size_t i = count; i < 6; ++i)
            micros *= 10;
        fraction = microseconds{micros};
    }

    minutes offset{0};
    if (at(text, pos, 'Z') || at(text, pos, 'z')) {
        ++pos;
    } else if (at(text, pos, '+') || at(text, pos, '-')) {
        const int sign = text[pos] == '-' ? -1 : 1;
        const auto oh = digits(text, pos + 1, 2), om = digits(text, pos + 4, 2);
        if (!oh || !om || !at(text, pos + 3, ':') || *oh > 23 || *om > 59)
            return std::nullopt;
        offset = minutes{sign * (*oh * 60 + *om)};
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    const auto local = sys_days{date} + hours{*h} + minutes{*mi} + seconds{*s} + fraction;
    return Instant{local - offset};
}

std::string Instant::toISO8601() const {
    return format(time, true);
}

std::string Instant::toISO8601Seconds() const {
    return format(time, false);
}
