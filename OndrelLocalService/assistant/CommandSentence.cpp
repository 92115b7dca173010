#include "OndrelLocalService/assistant/CommandSentence.h"

#include "OndrelLocalService/assistant/WordStem.h"

#include <QRegularExpression>

namespace {
const CommandSentence::Words folderPrepositions{u"в", u"во"};
} // namespace

bool CommandSentence::among(const QString& word, Words words) {
    return std::any_of(words.begin(), words.end(), [&](QStringView w) { return word == w; });
}

CommandSentence::CommandSentence(const QString& text) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression edges(QStringLiteral("^[\\p{P}\\p{S}]+|[\\p{P}\\p{S}]+$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (const QString& piece : text.split(blanks, Qt::SkipEmptyParts)) {
        QString bare = piece;
        bare.remove(edges);
        if (bare.isEmpty() && !m_words.isEmpty())
            m_words.last().raw += u' ' + piece; // a lone dash or comma stays with its word
        else if (!bare.isEmpty())
            m_words.append(
                Word{piece, bare, WordStem::normalize(bare), WordStem::stem(bare), false});
    }
}

void CommandSentence::use(qsizetype first, qsizetype last) {
    for (qsizetype k = first; k <= last; ++k)
        use(k);
}

bool CommandSentence::take(Words words) {
    for (qsizetype i = 0; i < size(); ++i)
        if (is(i, words)) {
            use(i);
            return true;
        }
    return false;
}

void CommandSentence::skipLeading(Words words) {
    for (qsizetype i = 0; i < size() && (!isFree(i) || is(i, words)); ++i)
        use(i);
}

qsizetype CommandSentence::firstFree() const {
    for (qsizetype i = 0; i < size(); ++i)
        if (isFree(i))
            return i;
    return -1;
}

qsizetype CommandSentence::lastFree() const {
    for (qsizetype i = size() - 1; i >= 0; --i)
        if (isFree(i))
            return i;
    return -1;
}

QString CommandSentence::rest() const {
    static const QRegularExpression dangling(QStringLiteral("^[\\s,;:—–-]+|[\\s,;:—–-]+$"));
    QStringList parts;
    for (const Word& word : m_words)
        if (!word.used)
            parts.append(word.raw);
    return parts.join(u' ').remove(dangling);
}

QString CommandSentence::plainRest() const {
    QStringList parts;
    for (const Word& word : m_words)
        if (!word.used)
            parts.append(word.text);
    return parts.join(u' ');
}

std::optional<QString> CommandSentence::takeFolder(Words nouns, const QStringList& known,
                                                   bool greedy) {
    for (qsizetype i = 0; i < size(); ++i) {
        if (!is(i, nouns))
            continue;
        const qsizetype first = i + 1;
        if (!isFree(first))
            return std::nullopt;
        if (is(i - 1, {u"в", u"во", u"из"}))
            use(i - 1);
        use(i);
        QString name;
        if (const qsizetype length = knownFolderAt(first, known, name)) {
            use(first, first + length - 1);
            return name;
        }
        const qsizetype last = greedy ? size() - 1 : first;
        QStringList typed;
        for (qsizetype k = first; k <= last; ++k)
            if (isFree(k)) {
                typed.append(m_words[k].text);
                use(k);
            }
        return typed.join(u' ');
    }
    return std::nullopt;
}

std::optional<QString> CommandSentence::takeKnownFolder(const QStringList& known, bool whereToo) {
    const qsizetype first = firstFree();
    const qsizetype last = lastFree();
    QString name;
    if (first < 0)
        return std::nullopt;
    // "Работа: позвонить Ивану", "Работа - отчёт"
    for (qsizetype k = first; k < size() && isFree(k); ++k)
        if (m_words[k].raw.endsWith(u':') || m_words[k].raw.endsWith(u'-') ||
            m_words[k].raw.endsWith(u'—')) {
            if (knownFolderAt(first, known, name) == k - first + 1) {
                use(first, k);
                return name;
            }
            break;
        }
    for (qsizetype i = first; i <= last; ++i) {
        if (!is(i, folderPrepositions))
            continue;
        const qsizetype length = knownFolderAt(i + 1, known, name);
        // "в доме" is where to do it, "в Дом" where to put it.
        const bool where = length > 0 && !whereToo && norm(i + length).endsWith(u'е') &&
                           !WordStem::normalize(name).endsWith(u'е');
        if (length > 0 && !where && (i == first || i + length == last)) {
            use(i, i + length);
            return name;
        }
    }
    return std::nullopt;
}

qsizetype CommandSentence::knownFolderAt(qsizetype first, const QStringList& known,
                                         QString& name) const {
    qsizetype best = 0;
    for (const QString& folder : known) {
        const QStringList parts = WordStem::stems(folder);
        if (parts.isEmpty() || parts.size() <= best)
            continue;
        bool same = true;
        for (qsizetype k = 0; k < parts.size() && same; ++k)
            same = isFree(first + k) && stem(first + k) == parts[k];
        if (same) {
            best = parts.size();
            name = folder;
        }
    }
    return best;
}
