#pragma once

#include <QString>
#include <QStringList>

// Russian word stems from the Snowball stemmer, so "молоко" is found in "Купить молока" and
// "про врача" in «Позвонить врачу».
namespace WordStem {
// Lower case, ё as е: the form the parser's word lists are written in.
QString normalize(QStringView word);
QString stem(QStringView word);
// The stems of every word of `text`, punctuation dropped.
QStringList stems(QStringView text);
// How well `query` names `title`: 0 when some query word is missing from the title, else the
// share of the title's words that the query covers (1 for the same words).
double matchScore(QStringView query, QStringView title);
} // namespace WordStem
