#include "OndrelLocalService/assistant/CommandSentence.h"

#include "OndrelLocalService/assistant/WordStem.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace {

constexpr int maxDaysAhead = 3650;

const CommandSentence::Words datePrepositions{u"на", u"в", u"во", u"к", u"до"};

// Word forms joined by blanks, so a table entry needs no nested list.
bool amongForms(const QString& word, QStringView forms) {
    const QList<QStringView> parts = forms.split(u' ');
    return std::any_of(parts.begin(), parts.end(), [&](QStringView form) { return word == form; });
}

int smallNumber(const QString& word) {
    bool ok = false;
    const int value = word.toInt(&ok);
    if (ok)
        return value;
    static constexpr std::pair<QStringView, int> names[]{
        {u"один одну одна", 1}, {u"два две", 2}, {u"три", 3},    {u"четыре", 4}, {u"пять", 5},
        {u"шесть", 6},          {u"семь", 7},    {u"восемь", 8}, {u"девять", 9}, {u"десять", 10}};
    for (const auto& [forms, number] : names)
        if (amongForms(word, forms))
            return number;
    return -1;
}

int weekday(const QString& word) {
    static constexpr std::pair<QStringView, int> days[]{
        {u"понедельник понедельника понедельнику", 1},
        {u"вторник вторника вторнику", 2},
        {u"среду среда среды среде", 3},
        {u"четверг четверга четвергу", 4},
        {u"пятницу пятница пятницы пятнице", 5},
        {u"субботу суббота субботы субботе", 6},
        {u"воскресенье воскресенья воскресенью", 7}};
    for (const auto& [forms, number] : days)
        if (amongForms(word, forms))
            return number;
    return 0;
}

} // namespace

bool CommandSentence::among(const QString& word, Words words) {
    return std::any_of(words.begin(), words.end(), [&](QStringView w) { return word == w; });
}

CommandSentence::CommandSentence(const QString& text, const QDateTime& now) : m_now(now) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression edges(QStringLiteral("^[\\p{P}\\p{S}]+|[\\p{P}\\p{S}]+$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (QString piece : text.split(blanks, Qt::SkipEmptyParts)) {
        piece.remove(edges);
        if (!piece.isEmpty())
            m_words.append(Word{piece, WordStem::normalize(piece)});
    }
}

bool CommandSentence::is(qsizetype i, Words words) const {
    return i >= 0 && i < size() && !m_words[i].used && among(m_words[i].norm, words);
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
    for (qsizetype i = 0; i < size() && (m_words[i].used || is(i, words)); ++i)
        use(i);
}

QString CommandSentence::rest() const {
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
        if (first >= size())
            return std::nullopt;
        if (is(i - 1, {u"в", u"во", u"из"}))
            use(i - 1);
        use(i);
        return folderAt(first, known, greedy);
    }
    return std::nullopt;
}

void CommandSentence::extractDates() {
    for (qsizetype i = 0; i < size(); ++i) {
        if (m_words[i].used)
            continue;
        if (relativeDay(i) || nextWeekday(i) || inDays(i) || clockTime(i))
            continue;
    }
}

std::optional<QDate> CommandSentence::day() const {
    return m_dayOffset ? std::optional(m_now.date().addDays(*m_dayOffset)) : std::nullopt;
}

std::optional<QDateTime> CommandSentence::due() const {
    if (!m_dayOffset && !m_time)
        return std::nullopt;
    const QTimeZone zone = m_now.timeZone();
    if (!m_dayOffset) {
        const QDateTime today(m_now.date(), *m_time, zone);
        return today > m_now ? today : QDateTime(m_now.date().addDays(1), *m_time, zone);
    }
    // A day without an hour is due by the end of that day.
    return QDateTime(*day(), m_time.value_or(QTime(23, 59)), zone);
}

std::optional<QString> CommandSentence::folderAt(qsizetype first, const QStringList& known,
                                                 bool greedy) {
    qsizetype bestLength = 0;
    QString bestName;
    for (const QString& name : known) {
        const QStringList parts = WordStem::stems(name);
        if (parts.isEmpty() || first + parts.size() > size() || parts.size() <= bestLength)
            continue;
        bool same = true;
        for (qsizetype k = 0; k < parts.size() && same; ++k)
            same = !m_words[first + k].used && WordStem::stem(norm(first + k)) == parts[k];
        if (same) {
            bestLength = parts.size();
            bestName = name;
        }
    }
    if (bestLength > 0) {
        for (qsizetype k = 0; k < bestLength; ++k)
            use(first + k);
        return bestName;
    }
    if (!greedy) {
        use(first);
        return m_words[first].text;
    }
    QStringList name;
    for (qsizetype k = first; k < size(); ++k) {
        if (!m_words[k].used)
            name.append(m_words[k].text);
        use(k);
    }
    return name.join(u' ');
}

void CommandSentence::usePreposition(qsizetype i) {
    if (is(i - 1, datePrepositions))
        use(i - 1);
}

bool CommandSentence::relativeDay(qsizetype i) {
    static constexpr std::pair<QStringView, int> days[]{
        {u"сегодня", 0}, {u"завтра", 1}, {u"послезавтра", 2}};
    for (const auto& [word, offset] : days) {
        if (norm(i) != word)
            continue;
        m_dayOffset = offset;
        use(i);
        usePreposition(i);
        return true;
    }
    return false;
}

bool CommandSentence::nextWeekday(qsizetype i) {
    const int target = weekday(norm(i));
    if (target == 0)
        return false;
    use(i);
    qsizetype before = i - 1;
    if (is(before, {u"следующий", u"следующую", u"следующее", u"следующей"})) {
        use(before);
        --before;
    }
    usePreposition(before + 1);
    const int ahead = (target - m_now.date().dayOfWeek() + 7) % 7;
    m_dayOffset = ahead == 0 ? 7 : ahead;
    return true;
}

bool CommandSentence::inDays(qsizetype i) {
    if (norm(i) != u"через" || i + 1 >= size())
        return false;
    qsizetype unit = i + 1;
    int count = smallNumber(norm(unit));
    if (count > maxDaysAhead)
        return false;
    if (count > 0)
        ++unit;
    else
        count = 1; // "через неделю"
    if (unit >= size())
        return false;
    int days = 0;
    if (among(norm(unit), {u"день", u"дня", u"дней"}) && unit > i + 1)
        days = count;
    else if (among(norm(unit), {u"неделю", u"недели", u"недель"}))
        days = 7 * count;
    if (days <= 0)
        return false;
    for (qsizetype k = i; k <= unit; ++k)
        use(k);
    m_dayOffset = days;
    return true;
}

bool CommandSentence::clockTime(qsizetype i) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})[:.](\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(norm(i));
    QTime time;
    qsizetype last = i;
    if (match.hasMatch()) {
        time = QTime(match.captured(1).toInt(), match.captured(2).toInt());
    } else if (is(i - 1, {u"в", u"к"}) &&
               is(i + 1, {u"час", u"часа", u"часов", u"утра", u"вечера", u"дня", u"ночи"})) {
        int hour = smallNumber(norm(i));
        if (is(i + 1, {u"час", u"часа", u"часов"}))
            ++last;
        if (is(last + 1, {u"утра", u"вечера", u"дня", u"ночи"}))
            ++last;
        if (among(norm(last), {u"вечера", u"дня"}) && hour >= 1 && hour < 12)
            hour += 12;
        time = QTime(hour, 0);
    }
    if (!time.isValid())
        return false;
    for (qsizetype k = i; k <= last; ++k)
        use(k);
    usePreposition(i);
    m_time = time;
    return true;
}
