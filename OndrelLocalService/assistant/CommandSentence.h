#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <initializer_list>
#include <optional>

// The words of one command, each marked once the parser has understood it, and the dates found
// among them (read in the time zone of `now`). What is left unmarked is the command's subject.
class CommandSentence {
public:
    using Words = std::initializer_list<QStringView>;

    CommandSentence(const QString& text, const QDateTime& now);

    static bool among(const QString& word, Words words);

    bool isEmpty() const { return m_words.isEmpty(); }
    qsizetype size() const { return m_words.size(); }
    const QString& norm(qsizetype i) const { return m_words[i].norm; }
    // Word `i` exists, is not marked yet and is one of `words`.
    bool is(qsizetype i, Words words) const;
    void use(qsizetype i) { m_words[i].used = true; }
    // Marks the first unmarked word among `words`, if any.
    bool take(Words words);
    // Marks the leading words as long as they are among `words`.
    void skipLeading(Words words);
    // The unmarked words, as typed.
    QString rest() const;

    // "в папку Работа": the folder named after one of `nouns`, matched against the known names
    // (several words allowed), else the next word, or all the words after it with `greedy`.
    std::optional<QString> takeFolder(Words nouns, const QStringList& known, bool greedy);

    // Marks every date and time phrase: сегодня, завтра, послезавтра, weekdays, "через N дней",
    // "в 15:00", "в 7 вечера".
    void extractDates();
    std::optional<QDate> day() const;
    // The due time: a day without an hour is due at 23:59; an hour without a day is today, or
    // tomorrow once that hour has passed.
    std::optional<QDateTime> due() const;

private:
    struct Word {
        QString text; // as typed, punctuation trimmed
        QString norm; // lower case, ё as е
        bool used = false;
    };

    std::optional<QString> folderAt(qsizetype first, const QStringList& known, bool greedy);
    void usePreposition(qsizetype i);
    bool relativeDay(qsizetype i);
    bool nextWeekday(qsizetype i);
    bool inDays(qsizetype i);
    bool clockTime(qsizetype i);

    QList<Word> m_words;
    QDateTime m_now;
    std::optional<int> m_dayOffset;
    std::optional<QTime> m_time;
};
