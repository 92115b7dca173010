#include "OndrelUI/models/TaskMatcher.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

TaskMatcher::TaskMatcher(const QString& query) {
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    for (QString word : fold(query).split(spaces, Qt::SkipEmptyParts)) {
        // "#дом" looks for the tag as the card shows it.
        if (word.startsWith(u'#'))
            word.remove(0, 1);
        if (!word.isEmpty())
            m_words.append(word);
    }
}

bool TaskMatcher::matchesFolded(const QString& folded) const {
    return std::all_of(m_words.begin(), m_words.end(),
                       [&](const QString& word) { return folded.contains(word); });
}

QString TaskMatcher::marked(const QString& text) const {
    const QString folded = fold(text);
    QList<bool> hit(text.size(), false);
    for (const QString& word : m_words)
        for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + 1))
            std::fill(hit.begin() + at, hit.begin() + at + word.size(), true);
    QString result;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && hit[end] == hit[start])
            ++end;
        const QString part = text.mid(start, end - start).toHtmlEscaped();
        result += hit[start] ? QStringLiteral("<b><u>") + part + QStringLiteral("</u></b>") : part;
        start = end;
    }
    return result;
}

QString TaskMatcher::fold(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        c = c.toLower();
        if (c == u'ё')
            c = u'е';
    }
    return folded;
}

QString TaskMatcher::searchText(const TaskItem& task) {
    QString text = task.title;
    if (task.body)
        text += u'\n' + *task.body;
    for (const QString& tag : task.tags)
        text += u'\n' + tag;
    return fold(text);
}
