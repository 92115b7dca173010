#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

// The words of one command, each marked once the parser has understood it. What is left
// unmarked is the command's subject, kept as typed.
class CommandSentence {
public:
    using Words = std::initializer_list<QStringView>;

    explicit CommandSentence(const QString& text);

    static bool among(const QString& word, Words words);

    bool isEmpty() const { return m_words.isEmpty(); }
    qsizetype size() const { return m_words.size(); }
    const QString& norm(qsizetype i) const { return m_words[i].norm; }
    const QString& stem(qsizetype i) const { return m_words[i].stem; }
    // Word `i` exists and is not marked yet.
    bool isFree(qsizetype i) const { return i >= 0 && i < size() && !m_words[i].used; }
    // Word `i` is free and is one of `words`.
    bool is(qsizetype i, Words words) const { return isFree(i) && among(norm(i), words); }
    // Word `i` is free and its stem is one of `stems`.
    bool hasStem(qsizetype i, Words stems) const { return isFree(i) && among(stem(i), stems); }
    void use(qsizetype i) { m_words[i].used = true; }
    void use(qsizetype first, qsizetype last);
    // Marks the first free word among `words`, if any.
    bool take(Words words);
    // Marks the leading free words as long as they are among `words`.
    void skipLeading(Words words);
    qsizetype firstFree() const;
    qsizetype lastFree() const;
    // The free words as typed, punctuation included, without what dangles at the edges.
    QString rest() const;
    // The free words without their punctuation and quotes: a name.
    QString plainRest() const;

    // "в папку Работа": the folder named after one of `nouns`, matched against the known names
    // by stems (several words allowed), else the next word, or all the words after it with
    // `greedy`.
    std::optional<QString> takeFolder(Words nouns, const QStringList& known, bool greedy);
    // "в Работу …", "… в Дом", "Работа: …": a known folder at the start or the end of the free
    // words. "в доме" (where, not where to) counts only with `whereToo`.
    std::optional<QString> takeKnownFolder(const QStringList& known, bool whereToo = false);

private:
    struct Word {
        QString raw;  // as typed
        QString text; // punctuation trimmed
        QString norm; // lower case, ё as е
        QString stem;
        bool used = false;
    };

    // How many words from `first` spell a known folder (the longest), and which.
    qsizetype knownFolderAt(qsizetype first, const QStringList& known, QString& name) const;

    QList<Word> m_words;
};
