#include "OndrelLocalService/assistant/WordStem.h"

#include <QRegularExpression>

#include <array>

namespace {
// Longest first, so "ами" wins over "и".
constexpr std::array endings{
    u"иями", u"ями", u"ами", u"иях", u"ого", u"его", u"ому", u"ему", u"ыми", u"ими", u"ией", u"ой",
    u"ей",   u"ий",  u"ый",  u"ая",  u"яя",  u"ое",  u"ее",  u"ую",  u"юю",  u"ом",  u"ем",  u"ам",
    u"ям",   u"ах",  u"ях",  u"ов",  u"ев",  u"ие",  u"ые",  u"ия",  u"ию",  u"ть",  u"ти",  u"ся",
    u"а",    u"я",   u"о",   u"е",   u"и",   u"ы",   u"у",   u"ю",   u"ь",   u"й"};
constexpr qsizetype minimumStem = 3;

bool sameStem(const QString& a, const QString& b) {
    if (a == b)
        return true;
    // One stem may still carry a suffix the table does not know ("звонок" / "звонк").
    const qsizetype shorter = std::min(a.size(), b.size());
    return shorter >= 4 && a.left(shorter) == b.left(shorter);
}
} // namespace

QString WordStem::normalize(QStringView word) {
    QString text = word.toString().toLower();
    text.replace(u'ё', u'е');
    return text;
}

QString WordStem::stem(QStringView word) {
    const QString text = normalize(word);
    for (const char16_t* ending : endings) {
        const QStringView suffix(ending);
        if (text.endsWith(suffix) && text.size() - suffix.size() >= minimumStem)
            return text.left(text.size() - suffix.size());
    }
    return text;
}

QStringList WordStem::stems(QStringView text) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    QStringList result;
    for (const QString& word : text.toString().split(separators, Qt::SkipEmptyParts))
        result.append(stem(word));
    return result;
}

double WordStem::matchScore(QStringView query, QStringView title) {
    const QStringList wanted = stems(query);
    const QStringList present = stems(title);
    if (wanted.isEmpty() || present.isEmpty())
        return 0;
    for (const QString& word : wanted) {
        const bool found = std::any_of(present.begin(), present.end(),
                                       [&](const QString& p) { return sameStem(word, p); });
        if (!found)
            return 0;
    }
    return double(std::min(wanted.size(), present.size())) / double(present.size());
}
