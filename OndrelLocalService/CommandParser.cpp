#include "OndrelLocalService/CommandParser.h"

#include "OndrelLocalService/WordStem.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <initializer_list>

using Action = ParsedCommand::Action;
using Gap = ParsedCommand::Gap;

namespace {

using Words = std::initializer_list<QStringView>;

bool among(const QString& word, Words words) {
    return std::any_of(words.begin(), words.end(), [&](QStringView w) { return word == w; });
}

const Words createVerbs{u"добавь",  u"добавить",  u"создай", u"создать", u"запиши", u"записать",
                        u"напомни", u"напомнить", u"нужно",  u"надо",    u"заведи", u"завести"};
const Words taskNouns{u"задачу", u"задача", u"заметку", u"заметка", u"дело"};
const Words folderNouns{u"папку", u"папка", u"папке", u"папки"};
const Words completeVerbs{u"выполнил",  u"выполнила", u"выполнено", u"выполнена", u"выполни",
                          u"сделал",    u"сделала",   u"сделано",   u"готово",    u"заверши",
                          u"завершить", u"закрой",    u"закрыть"};
const Words markVerbs{u"отметь", u"отметить", u"пометь", u"пометить", u"сделай", u"сделать"};
const Words doneMarkers{u"выполненной", u"выполненным", u"выполненную", u"выполненная",
                        u"выполнено",   u"сделанной",   u"сделанным",   u"сделанную",
                        u"готовой",     u"готовым"};
const Words deleteVerbs{u"удали", u"удалить", u"убери", u"убрать", u"сотри"};
const Words moveVerbs{u"перенеси", u"перенести", u"передвинь", u"сдвинь", u"отложи"};
const Words queryStarts{u"что", u"какие", u"какая", u"покажи", u"показать", u"список"};
const Words highMarkers{u"важно",  u"важная",  u"важной",  u"важную",  u"важное",
                        u"срочно", u"срочная", u"срочной", u"срочную", u"срочное"};
const Words lowMarkers{u"неважно", u"неважная", u"неважной", u"неважную", u"несрочно"};
const Words datePrepositions{u"на", u"в", u"во", u"к", u"до"};

struct Word {
    QString text; // as typed, punctuation trimmed
    QString norm; // lower case, ё as е
    bool used = false;
};

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

// The words of one command and the dates found in them.
class Sentence {
public:
    Sentence(const QString& text, const QDateTime& now) : m_now(now) {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        static const QRegularExpression edges(QStringLiteral("^[\\p{P}\\p{S}]+|[\\p{P}\\p{S}]+$"),
                                              QRegularExpression::UseUnicodePropertiesOption);
        for (QString piece : text.split(blanks, Qt::SkipEmptyParts)) {
            piece.remove(edges);
            if (!piece.isEmpty())
                m_words.append(Word{piece, WordStem::normalize(piece)});
        }
    }

    bool isEmpty() const { return m_words.isEmpty(); }
    qsizetype size() const { return m_words.size(); }
    const QString& norm(qsizetype i) const { return m_words[i].norm; }
    bool is(qsizetype i, Words words) const {
        return i >= 0 && i < size() && !m_words[i].used && among(m_words[i].norm, words);
    }
    void use(qsizetype i) { m_words[i].used = true; }
    // Marks the first unused word among `words`, if any.
    bool take(Words words) {
        for (qsizetype i = 0; i < size(); ++i)
            if (is(i, words)) {
                use(i);
                return true;
            }
        return false;
    }
    // Marks the leading words as long as they are among `words`.
    void skipLeading(Words words) {
        for (qsizetype i = 0; i < size() && (m_words[i].used || is(i, words)); ++i)
            use(i);
    }
    // The words not used yet, as typed.
    QString rest() const {
        QStringList parts;
        for (const Word& word : m_words)
            if (!word.used)
                parts.append(word.text);
        return parts.join(u' ');
    }

    // "в папку Работа": the folder named after the noun, matched against the known names
    // (several words allowed), else the next word, or all the rest with `greedy`.
    std::optional<QString> takeFolder(const QStringList& known, bool greedy) {
        for (qsizetype i = 0; i < size(); ++i) {
            if (!is(i, folderNouns))
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

    void extractDates() {
        for (qsizetype i = 0; i < size(); ++i) {
            if (m_words[i].used)
                continue;
            if (relativeDay(i) || nextWeekday(i) || inDays(i) || clockTime(i))
                continue;
        }
    }

    std::optional<QDate> day() const {
        return m_dayOffset ? std::optional(m_now.date().addDays(*m_dayOffset)) : std::nullopt;
    }

    std::optional<QDateTime> due() const {
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

private:
    std::optional<QString> folderAt(qsizetype first, const QStringList& known, bool greedy) {
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
        const QString name = rest();
        for (qsizetype k = first; k < size(); ++k)
            use(k);
        return name;
    }

    void usePreposition(qsizetype i) {
        if (is(i - 1, datePrepositions))
            use(i - 1);
    }

    bool relativeDay(qsizetype i) {
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

    bool nextWeekday(qsizetype i) {
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

    bool inDays(qsizetype i) {
        if (norm(i) != u"через" || i + 1 >= size())
            return false;
        qsizetype unit = i + 1;
        int count = smallNumber(norm(unit));
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

    bool clockTime(qsizetype i) {
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

    QList<Word> m_words;
    QDateTime m_now;
    std::optional<int> m_dayOffset;
    std::optional<QTime> m_time;
};

QString capitalized(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

ParsedCommand clarify(Gap gap, QString subject = {}) {
    return ParsedCommand{.action = Action::clarify, .gap = gap, .subject = std::move(subject)};
}

// The named task's words are what is left; an empty remainder has to be asked for.
ParsedCommand aboutTask(Action action, Sentence& words) {
    words.extractDates();
    words.take(taskNouns);
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    return ParsedCommand{.action = action, .gap = Gap::none, .subject = subject};
}

ParsedCommand query(Sentence& words, const QStringList& folderNames) {
    if (const std::optional<QString> folder = words.takeFolder(folderNames, true))
        return ParsedCommand{.action = Action::queryFolder, .gap = Gap::none, .folderName = folder};
    words.extractDates();
    if (const std::optional<QDate> day = words.day())
        return ParsedCommand{.action = Action::queryDay, .gap = Gap::none, .day = day};
    return ParsedCommand{.action = Action::queryOpen, .gap = Gap::none};
}

ParsedCommand createFolder(Sentence& words) {
    words.skipLeading(createVerbs);
    words.skipLeading({u"новая", u"новую"});
    words.skipLeading(folderNouns);
    QString name = words.rest();
    if (name.isEmpty())
        return clarify(Gap::folderName);
    return ParsedCommand{.action = Action::createFolder, .gap = Gap::none, .subject = name};
}

ParsedCommand reschedule(Sentence& words) {
    words.use(0);
    words.extractDates();
    words.take(taskNouns);
    const std::optional<QDateTime> due = words.due();
    const QString subject = words.rest();
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    if (!due)
        return clarify(Gap::date, subject);
    return ParsedCommand{
        .action = Action::rescheduleTask, .gap = Gap::none, .subject = subject, .due = due};
}

std::optional<Priority> takePriority(Sentence& words) {
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words.is(i, lowMarkers)) {
            words.use(i);
            return Priority::low;
        }
        if (words.is(i, highMarkers)) {
            words.use(i);
            if (words.is(i - 1, {u"не"})) {
                words.use(i - 1);
                return Priority::low;
            }
            return Priority::high;
        }
    }
    return std::nullopt;
}

// A new task: what is left after the verbs, the folder, the dates and the priority.
ParsedCommand createOrRaise(Sentence& words, const QStringList& folderNames) {
    const bool explicitVerb = words.is(0, createVerbs);
    const bool markVerb = words.is(0, markVerbs);
    words.skipLeading(createVerbs);
    words.skipLeading(markVerbs);
    words.skipLeading({u"мне"});
    words.skipLeading(taskNouns);
    const std::optional<QString> folder = words.takeFolder(folderNames, false);
    words.extractDates();
    const std::optional<Priority> priority = takePriority(words);
    words.take({u"как"});
    const QString subject = capitalized(words.rest());
    if (subject.isEmpty())
        return clarify(Gap::taskName);
    ParsedCommand command{.action = Action::createTask,
                          .gap = Gap::none,
                          .subject = subject,
                          .folderName = folder,
                          .due = words.due(),
                          .priority = priority};
    if (priority && !explicitVerb) {
        command.action = Action::setPriority;
        command.createIfMissing = !markVerb;
    }
    return command;
}

} // namespace

ParsedCommand CommandParser::parse(const QString& text, const QDateTime& now,
                                   const QStringList& folderNames) {
    Sentence words(text, now);
    if (words.isEmpty())
        return clarify(Gap::command);
    if (words.is(0, queryStarts))
        return query(words, folderNames);
    if (text.trimmed().endsWith(u'?'))
        return clarify(Gap::command); // a question this parser has no answer for
    if ((words.is(0, createVerbs) || words.is(0, {u"новая", u"новую"})) && words.is(1, folderNouns))
        return createFolder(words);
    if (words.is(0, completeVerbs)) {
        words.use(0);
        return aboutTask(Action::completeTask, words);
    }
    if (words.is(0, markVerbs) && words.take(doneMarkers)) {
        words.use(0);
        words.take({u"как"});
        return aboutTask(Action::completeTask, words);
    }
    if (words.is(0, deleteVerbs)) {
        words.use(0);
        return aboutTask(Action::deleteTask, words);
    }
    if (words.is(0, moveVerbs))
        return reschedule(words);
    return createOrRaise(words, folderNames);
}
