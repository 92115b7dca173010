#include "OndrelCore/wire/Instant.h"

#include <gtest/gtest.h>

namespace {
constexpr qint64 base = 1717234200000; // 2024-06-01T09:30:00Z
}

TEST(Instant, AcceptsRfc3339WithAnyFractionAndZone) {
    const struct {
        const char* text;
        qint64 msecs;
        qint64 extraMicros;
    } cases[] = {
        {"2024-06-01T09:30:00Z", base, 0},
        {"2024-06-01T09:30:00.250Z", base + 250, 0},
        {"2024-06-01T09:30:00.2Z", base + 200, 0},
        {"2024-06-01T09:30:00.123456789Z", base + 123, 456},
        {"2024-06-01T12:30:00+03:00", base, 0},
        {"2024-06-01T04:00:00.5-05:30", base + 500, 0},
        {"2024-06-01t09:30:00z", base, 0},
        {"2024-02-29T00:00:00Z", 1709164800000, 0},
        {"1969-12-31T23:59:59.999Z", -1, 0},
    };
    for (const auto& c : cases) {
        const auto parsed = Instant::fromISO8601(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        const auto expected = std::chrono::sys_time<std::chrono::microseconds>{
            std::chrono::milliseconds{c.msecs} + std::chrono::microseconds{c.extraMicros}};
        EXPECT_EQ(parsed->time, expected) << c.text;
    }
}

TEST(Instant, RejectsEverythingElse) {
    for (const char* text : {"",
                             "2024-06-01",
                             "2024-06-01T09:30:00",
                             "2024-06-01T09:30Z",
                             "2024-13-01T00:00:00Z",
                             "2024-02-30T00:00:00Z",
                             "2023-02-29T00:00:00Z",
                             "2024-06-01T24:00:00Z",
                             "2024-06-01T23:60:00Z",
                             "2024-06-01T23:59:60Z",
                             "2024-06-01T09:30:00.Z",
                             "2024-06-01T09:30:00.1234567890Z",
                             "2024-06-01T09:30:00+0300",
                             "2024-06-01T09:30:00+03",
                             "31.01.2024",
                             "2024-06-01 09:30:00Z",
                             "2024-06-01T09:30:00Z ",
                             " 2024-06-01T09:30:00Z",
                             "+2024-06-01T09:30:00Z",
                             "2024-6-01T09:30:00Z",
                             "2024-06-01T09:30:00+24:00"})
        EXPECT_FALSE(Instant::fromISO8601(text).has_value()) << text;
}

TEST(Instant, WritesUtcWithMillisecondsOnly) {
    EXPECT_EQ(Instant::fromISO8601("2024-01-31T23:59:59Z")->toISO8601(),
              "2024-01-31T23:59:59.000Z");
    EXPECT_EQ(Instant::fromISO8601("2024-06-01T12:30:00.9999+03:00")->toISO8601(),
              "2024-06-01T09:30:00.999Z");
    EXPECT_EQ(Instant::fromISO8601("2024-06-01T09:30:00.250Z")->toISO8601Seconds(),
              "2024-06-01T09:30:00Z");
    EXPECT_EQ(Instant::fromMSecsSinceEpoch(-1).toISO8601(), "1969-12-31T23:59:59.999Z");
}
