#pragma once

#include "OndrelLocalService/assistant/CommandSentence.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTime>

#include <optional>

// The date, time and repetition phrases of a command: found among its words, marked there, and
// read in the time zone of `now` (the account's zone).
class WhenWords {
public:
    WhenWords(CommandSentence& words, const QDateTime& now) : m_words(words), m_now(now) {}

    // Marks every phrase this class understands: сегодня, завтра, weekdays, "через 2 часа",
    // "5 марта", "до конца недели", утром, "в 7 вечера", "в половине седьмого", "каждый
    // вторник", "по будням", "каждые 3 дня" and the like.
    void extract();

    // The day named, if any.
    std::optional<QDate> day() const;
    // The due time: a day without an hour is due at 23:59; an hour without a day is today, or
    // tomorrow once that hour has passed; a repetition is due at its first occurrence.
    std::optional<QDateTime> due() const;
    // The repetition as RRULE text ("FREQ=WEEKLY;BYDAY=TU"), if one was said.
    std::optional<QString> recurrence() const;

private:
    struct Repeat {
        const char* freq = "DAILY";
        int interval = 1;
        QList<int> weekdays;
    };

    bool repetition(qsizetype i);
    bool everyPhrase(qsizetype i);
    bool byWeekdays(qsizetype i);
    qsizetype weekdayList(qsizetype i, QList<int>& days) const;
    bool relativeDay(qsizetype i);
    bool weekday(qsizetype i);
    bool after(qsizetype i);
    bool dayOfMonth(qsizetype i);
    bool endOf(qsizetype i);
    bool period(qsizetype i);
    // "в полдень", "в полночь"
    bool noon(qsizetype i);
    bool halfPast(qsizetype i);
    bool clockTime(qsizetype i);
    // "в", "на", "до", "к" before word `i` belong to the phrase.
    void usePreposition(qsizetype i);
    std::optional<QTime> time() const;
    std::optional<QDate> monthDate() const;
    std::optional<QDate> firstOccurrence(const QTime& at) const;

    CommandSentence& m_words;
    QDateTime m_now;
    std::optional<QDate> m_date;
    std::optional<QDateTime> m_exact;
    std::optional<int> m_hour;
    int m_minute = 0;
    std::optional<int> m_period; // утром, днём, вечером, ночью: the hour they stand for
    std::optional<int> m_monthDay;
    std::optional<int> m_month;
    std::optional<Repeat> m_repeat;
};
