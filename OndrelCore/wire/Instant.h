#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// An absolute point in time, kept to the microsecond. On the wire it is RFC 3339 text.
struct Instant {
    using Duration = std::chrono::microseconds;
    std::chrono::sys_time<Duration> time{};

    friend auto operator<=>(const Instant&, const Instant&) = default;

    static Instant now();
    static Instant fromMSecsSinceEpoch(qint64 msecs);
    static Instant fromQDateTime(const QDateTime& dateTime);
    qint64 toMSecsSinceEpoch() const;
    QDateTime toQDateTime() const;

    // Strict RFC 3339 date-time: "YYYY-MM-DDThh:mm:ss", an optional fraction of 1 to 9 digits,
    // then "Z" or "+hh:mm"/"-hh:mm". Impossible dates and times give no value.
    static std::optional<Instant> fromISO8601(std::string_view text);
    // UTC with exactly three fractional digits and "Z": 2024-06-01T09:30:00.250Z.
    std::string toISO8601() const;
    // UTC to the second: 2024-06-01T09:30:00Z.
    std::string toISO8601Seconds() const;
    QString toString() const { return QString::fromStdString(toISO8601()); }
};
