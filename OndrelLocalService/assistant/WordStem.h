#pragma once

#include <QString>
#include <QStringList>

// Rough Russian stemming, enough to find "молоко" in "Купить молока": lower case, ё as е, and
// the longest common inflectional ending cut off while at least three letters remain.
namespace WordStem {
QString normalize(QStringView word);
QString stem(QStringView word);
// The stems of every word of `text`, punctuation dropped.
QStringList stems(QStringView text);
// How well `query` names `title`: 0 when some query word is missing from the title, else the
// share of the title's words that the query covers (1 for the same words).
double matchScore(QStringView query, QStringView title);
} // namespace WordStem
