#include "OndrelLocalService/assistant/WordStem.h"

#include <QRegularExpression>

#include <libstemmer.h>

#include <memory>

namespace {
struct StemmerDeleter {
    void operator()(sb_stemmer* stemmer) const { sb_stemmer_delete(stemmer); }
};

// A Snowball stemmer keeps its work buffer inside, so each thread gets its own.
sb_stemmer* russian() {
    thread_local const std::unique_ptr<sb_stemmer, StemmerDeleter> stemmer(
        sb_stemmer_new("russian", "UTF_8"));
    return stemmer.get();
}

bool sameStem(const QString& a, const QString& b) {
    if (a == b)
        return true;
    // Fleeting vowels leave two stems of one word ("звонок" / "звонк").
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
    const QByteArray text = normalize(word).toUtf8();
    sb_stemmer* stemmer = russian();
    if (!stemmer || text.isEmpty())
        return QString::fromUtf8(text);
    const sb_symbol* stemmed = sb_stemmer_stem(
        stemmer, reinterpret_cast<const sb_symbol*>(text.constData()), int(text.size()));
    if (!stemmed)
        return QString::fromUtf8(text); // out of memory inside the stemmer
    return QString::fromUtf8(reinterpret_cast<const char*>(stemmed), sb_stemmer_length(stemmer));
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
