#include "OndrelCore/wire/CaptureStatus.h"
#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Intent.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/RunInput.h"
#include "OndrelCore/wire/RunStatus.h"
#include "OndrelCore/wire/SourceKind.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelCore/wire/TaskType.h"

#include <gtest/gtest.h>

// Any fraction (microseconds kept) and any offset are read; anything else is no instant at all.
TEST(Instant, ReadsRfc3339AndNothingElse) {
    constexpr qint64 base = 1717234200000; // 2024-06-01T09:30:00Z
    const struct {
        const char* text;
        qint64 msecs;
        qint64 extraMicros;
    } cases[] = {
        {"2024-06-01T09:30:00Z", base, 0},
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
        EXPECT_EQ(parsed->time, (std::chrono::sys_time<std::chrono::microseconds>{
                                    std::chrono::milliseconds{c.msecs} +
                                    std::chrono::microseconds{c.extraMicros}}))
            << c.text;
    }
    for (const char* text :
         {"", "2024-06-01", "2024-06-01T09:30:00", "2024-13-01T00:00:00Z", "2023-02-29T00:00:00Z",
          "2024-06-01T24:00:00Z", "2024-06-01T23:60:00Z", "2024-06-01T23:59:60Z",
          "2024-06-01T09:30:00.Z", "2024-06-01T09:30:00.1234567890Z", "2024-06-01T09:30:00+0300",
          "2024-06-01 09:30:00Z", "2024-06-01T09:30:00Z ", "+2024-06-01T09:30:00Z",
          "2024-06-01T09:30:00+24:00"})
        EXPECT_FALSE(Instant::fromISO8601(text).has_value()) << text;
}

TEST(Instant, WritesUtcWithMillisecondsOnly) {
    EXPECT_EQ(Instant::fromISO8601("2024-06-01T12:30:00.9999+03:00")->toISO8601(),
              "2024-06-01T09:30:00.999Z");
    EXPECT_EQ(Instant::fromISO8601("2024-06-01T09:30:00.250Z")->toISO8601Seconds(),
              "2024-06-01T09:30:00Z");
    EXPECT_EQ(Instant::fromMSecsSinceEpoch(-1).toISO8601(), "1969-12-31T23:59:59.999Z");
}

namespace {

// Each case travels as its wire string and reads back from it alone: no other case, no other
// letter case and no padding matches.
template <class E>
void expectWireStrings(std::initializer_list<const char*> expected) {
    ASSERT_EQ(WireEnum<E>::cases.size(), expected.size()) << WireEnum<E>::typeName;
    std::size_t i = 0;
    for (const char* wire : expected) {
        const E value = WireEnum<E>::cases[i++].first;
        const QString text = QString::fromLatin1(wire);
        EXPECT_EQ(rawValue(value), text);
        EXPECT_EQ(fromRawValue<E>(text), value);
        for (const QString& near : {text.toLower(), u' ' + text, text + u' '})
            EXPECT_FALSE(fromRawValue<E>(near).has_value()) << wire;
    }
}

} // namespace

TEST(WireEnum, EveryCaseHasItsExactWireString) {
    expectWireStrings<TaskType>({"TASK", "NOTE", "IDEA"});
    expectWireStrings<TaskStatus>(
        {"INBOX", "TODO", "IN_PROGRESS", "DONE", "POSTPONED", "CANCELLED"});
    expectWireStrings<Priority>({"NONE", "LOW", "MEDIUM", "HIGH"});
    expectWireStrings<SourceKind>({"VOICE", "TEXT", "MANUAL"});
    expectWireStrings<Intent>(
        {"CAPTURE_NEW", "COMPLETE_TASK", "CREATE_DONE", "UPDATE_TASK", "QUERY", "DELETE_TASK"});
    expectWireStrings<CaptureStatus>(
        {"UPLOADED", "PROCESSING", "PROCESSED", "FAILED", "SUPERSEDED"});
    expectWireStrings<RunStatus>({"SUCCESS", "PARTIAL", "FAILED"});
    expectWireStrings<RunInput>({"AUDIO", "EDITED_TEXT"});
}
