#pragma once

#include "OndrelCore/wire/TaskItem.h"

#include <QString>
#include <QStringList>

// Whether a task answers a search query: every word of the query (a leading "#" dropped) occurs
// in the task's title, description or tags, ignoring case and the difference between "ё" and "е".
// Texts are compared in their folded form (see fold), which keeps every position, so a match found
// in the folded text marks the same characters in the original one.
class TaskMatcher {
public:
    explicit TaskMatcher(const QString& query = {});

    // No words: everything matches and nothing is marked.
    bool isEmpty() const { return m_words.isEmpty(); }
    bool matches(const TaskItem& task) const { return matchesFolded(searchText(task)); }
    // `folded` is searchText() of a task, kept by callers that match the same tasks often.
    bool matchesFolded(const QString& folded) const;

    // `text` as rich text with each occurrence of a query word in bold and underlined, the
    // rest escaped.
    QString marked(const QString& text) const;

    // Lower case, "ё" read as "е"; one character for one.
    static QString fold(const QString& text);
    // What a task is searched by, folded: title, description and tags, one per line.
    static QString searchText(const TaskItem& task);

private:
    QStringList m_words; // folded
};
