#include "support/QtPrinters.h"

#include "OndrelUI/reminders/Occurrences.h"
#include "OndrelUI/reminders/ReminderTexts.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

Instant utc(const char* text) {
    return *Instant::fromISO8601(text);
}

// Berlin: summer time begins on 2026-03-29 and ends on 2026-10-25.
class ReminderTimesTest : public testing::Test {
protected:
    void SetUp() override {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
};

TEST_F(ReminderTimesTest, OccurrencesKeepTheLocalTimeAndFollowTheRule) {
    struct Case {
        const char* rule;
        const char* start;
        const char* after;
        std::optional<const char*> next;
    };
    const Case cases[] = {
        // 09:00 in Berlin before and after the change of the clocks.
        {"FREQ=DAILY", "2026-03-28T08:00:00Z", "2026-03-28T08:00:00Z", "2026-03-29T07:00:00Z"},
        {"FREQ=DAILY;INTERVAL=3", "2026-03-01T08:00:00Z", "2026-03-02T00:00:00Z",
         "2026-03-04T08:00:00Z"},
        {"FREQ=WEEKLY;BYDAY=MO,FR", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z",
         "2026-03-13T08:00:00Z"},
        {"FREQ=MONTHLY;BYMONTHDAY=-1", "2026-01-31T08:00:00Z", "2026-02-01T00:00:00Z",
         "2026-02-28T08:00:00Z"},
        {"FREQ=MONTHLY", "2026-01-31T08:00:00Z", "2026-02-01T00:00:00Z", "2026-03-31T07:00:00Z"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", "2024-02-29T08:00:00Z", "2024-03-01T00:00:00Z",
         "2028-02-29T08:00:00Z"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=31", "2026-01-01T08:00:00Z", "2026-01-02T00:00:00Z",
         std::nullopt},
        // A step below one from the service repeats daily rather than never or forever.
        {"FREQ=DAILY;INTERVAL=0", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z",
         "2026-03-11T08:00:00Z"},
        // Before the start, the start itself; without a rule nothing after it.
        {"FREQ=DAILY", "2026-03-10T08:00:00Z", "2026-03-01T00:00:00Z", "2026-03-10T08:00:00Z"},
        {"", "2026-03-10T08:00:00Z", "2026-03-10T08:00:00Z", std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.rule);
        const auto next = nextOccurrence(RecurrenceRule::parse(QString::fromUtf8(row.rule)),
                                         utc(row.start), utc(row.after));
        EXPECT_EQ(next, row.next ? std::optional(utc(*row.next)) : std::nullopt);
    }
}

TEST_F(ReminderTimesTest, TextsSayTheDayAndCountInRussian) {
    const Instant now = utc("2026-03-10T12:00:00Z");
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-10T17:00:00Z"), now),
              QStringLiteral("Сегодня в 18:00"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-11T08:05:00Z"), now),
              QStringLiteral("Завтра в 9:05"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2026-03-12T08:00:00Z"), now),
              QStringLiteral("12 марта в 9:00"));
    EXPECT_EQ(ReminderTexts::dueText(utc("2027-01-05T08:00:00Z"), now),
              QStringLiteral("5 января 2027 в 9:00"));
    const std::pair<int, const char*> counts[] = {
        {1, "задача"}, {2, "задачи"},  {4, "задачи"},  {5, "задач"},   {11, "задач"},
        {14, "задач"}, {21, "задача"}, {22, "задачи"}, {112, "задач"}, {101, "задача"},
    };
    for (const auto& [count, word] : counts)
        EXPECT_EQ(ReminderTexts::overdueTitle(count),
                  QStringLiteral("Просрочено: %1 ").arg(count) + QString::fromUtf8(word));
}

} // namespace
