#include "OndrelUI/update/AppVersion.h"

#include <QRegularExpression>

namespace {

// Eighteen digits always fit in a qint64; longer numbers are not versions anyone writes.
constexpr qsizetype maxDigits = 18;

const QRegularExpression& versionPattern() {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d{1,18}(?:\.\d{1,18})*)(?:([-~][0-9A-Za-z]+(?:[.\-_][0-9A-Za-z]+)*)|([A-Za-z][0-9A-Za-z]*(?:[.\-_][0-9A-Za-z]+)*))?$)"));
    return pattern;
}

std::strong_ordering compareText(const QString& a, const QString& b) {
    return a.compare(b) <=> 0;
}

} // namespace

std::optional<AppVersion> AppVersion::parse(const QString& text) {
    const QRegularExpressionMatch match = versionPattern().match(text);
    if (!match.hasMatch())
        return std::nullopt;
    AppVersion version;
    version.m_text = text;
    for (const QString& component : match.captured(1).split(u'.'))
        version.m_components.append(component.toLongLong());
    const QString suffix = match.captured(2).isEmpty() ? match.captured(3) : match.captured(2);
    version.m_prerelease = !suffix.isEmpty();
    // "beta.10" becomes beta, 10: digit runs and other runs alternate, separators drop out.
    static const QRegularExpression tokens(QStringLiteral(R"(\d+|[A-Za-z]+)"));
    for (const QRegularExpressionMatch& token : tokens.globalMatch(suffix)) {
        const QString piece = token.captured();
        const bool numeric = piece.front().isDigit();
        if (numeric && piece.size() > maxDigits)
            return std::nullopt;
        version.m_suffix.append(Token{numeric, numeric ? piece.toLongLong() : 0, piece});
    }
    return version;
}

std::strong_ordering AppVersion::operator<=>(const AppVersion& other) const {
    const qsizetype count = std::max(m_components.size(), other.m_components.size());
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 mine = m_components.value(i, 0);
        const qint64 theirs = other.m_components.value(i, 0);
        if (mine != theirs)
            return mine <=> theirs;
    }
    if (m_prerelease != other.m_prerelease)
        return m_prerelease ? std::strong_ordering::less : std::strong_ordering::greater;
    return compareSuffixes(m_suffix, other.m_suffix);
}

// Numbers compare as numbers and before words ("rc1" < "rc10" < "rcx"); a suffix that is a
// prefix of the other sorts first ("beta" < "beta.2").
std::strong_ordering AppVersion::compareSuffixes(const QList<Token>& a, const QList<Token>& b) {
    const qsizetype count = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (a[i].numeric != b[i].numeric)
            return a[i].numeric ? std::strong_ordering::less : std::strong_ordering::greater;
        const std::strong_ordering order =
            a[i].numeric ? a[i].number <=> b[i].number : compareText(a[i].text, b[i].text);
        if (order != std::strong_ordering::equal)
            return order;
    }
    return a.size() <=> b.size();
}
