#include "OndrelLocalService/assistant/WhenWords.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace {

using Words = CommandSentence::Words;

// Further ahead than this is no date anyone means.
constexpr int maxAhead = 3650;
constexpr int morning = 9;
constexpr int midday = 13;
constexpr int evening = 19;
constexpr int night = 23;

const Words prepositions{u"на", u"в", u"во", u"к", u"до"};
const Words hourWords{u"час", u"часа", u"часов"};
const Words dayWords{u"день", u"дня", u"дней"};
const Words weekWords{u"неделю", u"недели", u"недель", u"неделя"};
const Words monthWords{u"месяц", u"месяца", u"месяцев"};
const Words yearWords{u"год", u"года", u"лет"};

// Word forms joined by blanks, so a table entry needs no nested list.
template <std::size_t N>
int lookUp(const QString& word, const std::pair<QStringView, int> (&table)[N]) {
    for (const auto& [forms, value] : table)
        for (QStringView form : forms.split(u' '))
            if (word == form)
                return value;
    return -1;
}

int cardinal(const QString& word) {
    static constexpr std::pair<QStringView, int> names[]{{u"один одну одна", 1},
                                                         {u"два две пару пара", 2},
                                                         {u"три", 3},
                                                         {u"четыре", 4},
                                                         {u"пять", 5},
                                                         {u"шесть", 6},
                                                         {u"семь", 7},
                                                         {u"восемь", 8},
                                                         {u"девять", 9},
                                                         {u"десять", 10},
                                                         {u"одиннадцать", 11},
                                                         {u"двенадцать", 12},
                                                         {u"тринадцать", 13},
                                                         {u"четырнадцать", 14},
                                                         {u"пятнадцать", 15},
                                                         {u"шестнадцать", 16},
                                                         {u"семнадцать", 17},
                                                         {u"восемнадцать", 18},
                                                         {u"девятнадцать", 19},
                                                         {u"двадцать", 20},
                                                         {u"тридцать", 30},
                                                         {u"сорок", 40},
                                                         {u"пятьдесят", 50}};
    return lookUp(word, names);
}

// "седьмого": the hour in "в половине седьмого", the day in "седьмого марта".
int ordinal(const QString& word) {
    static constexpr std::pair<QStringView, int> names[]{
        {u"первого", 1},     {u"второго", 2},    {u"третьего", 3},       {u"четвертого", 4},
        {u"пятого", 5},      {u"шестого", 6},    {u"седьмого", 7},       {u"восьмого", 8},
        {u"девятого", 9},    {u"десятого", 10},  {u"одиннадцатого", 11}, {u"двенадцатого", 12},
        {u"двадцатого", 20}, {u"тридцатого", 30}};
    return lookUp(word, names);
}

int monthNumber(const QString& word) {
    static constexpr std::pair<QStringView, int> names[]{
        {u"января", 1},   {u"февраля", 2},  {u"марта", 3},   {u"апреля", 4},
        {u"мая", 5},      {u"июня", 6},     {u"июля", 7},    {u"августа", 8},
        {u"сентября", 9}, {u"октября", 10}, {u"ноября", 11}, {u"декабря", 12}};
    return lookUp(word, names);
}

// Weekdays by stem, so every case and number of "среда" is one entry.
int weekdayNumber(const CommandSentence& words, qsizetype i) {
    static constexpr std::pair<QStringView, int> stems[]{
        {u"понедельник", 1}, {u"вторник", 2}, {u"сред", 3},     {u"четверг", 4},
        {u"пятниц", 5},      {u"суббот", 6},  {u"воскресен", 7}};
    if (!words.isFree(i) || words.norm(i) == u"среди")
        return -1;
    return lookUp(words.stem(i), stems);
}

// The hour of "в 7 вечера" or "вечером в 7" on the 24-hour clock.
int withPeriod(int hour, std::optional<int> period) {
    if (period == evening && hour < 12)
        return hour + 12;
    if (period == midday && hour <= 7)
        return hour + 12;
    if (period == night && hour >= 8 && hour < 12)
        return hour + 12;
    if (period == night && hour == 12)
        return 0;
    return hour;
}

int periodOfClock(const QString& word) {
    static constexpr std::pair<QStringView, int> names[]{
        {u"утра", morning}, {u"дня", midday}, {u"вечера", evening}, {u"ночи", night}};
    return lookUp(word, names);
}

QString weekdayCode(int day) {
    static constexpr const char* codes[]{"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    return QString::fromLatin1(codes[day - 1]);
}

} // namespace

void WhenWords::extract() {
    for (qsizetype i = 0; i < m_words.size(); ++i) {
        if (!m_words.isFree(i))
            continue;
        const bool found = repetition(i) || relativeDay(i) || weekday(i) || after(i) ||
                           dayOfMonth(i) || endOf(i) || period(i) || noon(i) || halfPast(i) ||
                           clockTime(i);
        Q_UNUSED(found);
    }
}

std::optional<QDate> WhenWords::day() const {
    return m_date ? m_date : monthDate();
}

std::optional<QDateTime> WhenWords::due() const {
    if (m_exact)
        return m_exact;
    const std::optional<QTime> at = time();
    std::optional<QDate> date = day();
    if (!date && m_repeat && !m_repeat->weekdays.isEmpty())
        date = firstOccurrence(at.value_or(QTime(23, 59)));
    const QTimeZone zone = m_now.timeZone();
    if (!date) {
        if (!at)
            return std::nullopt;
        const QDateTime today(m_now.date(), *at, zone);
        return today > m_now ? today : QDateTime(m_now.date().addDays(1), *at, zone);
    }
    // A day without an hour is due by the end of that day.
    return QDateTime(*date, at.value_or(QTime(23, 59)), zone);
}

std::optional<QString> WhenWords::recurrence() const {
    if (!m_repeat)
        return std::nullopt;
    const QString freq = QString::fromLatin1(m_repeat->freq);
    QString rule = QStringLiteral("FREQ=") + freq;
    if (m_repeat->interval > 1)
        rule += QStringLiteral(";INTERVAL=%1").arg(m_repeat->interval);
    QList<int> weekdays = m_repeat->weekdays;
    if (weekdays.isEmpty() && freq == u"WEEKLY" && m_date)
        weekdays.append(m_date->dayOfWeek()); // "каждую неделю в пятницу"
    QStringList codes;
    for (int day : weekdays)
        codes.append(weekdayCode(day));
    if (!codes.isEmpty())
        rule += QStringLiteral(";BYDAY=") + codes.join(u',');
    if (freq == u"YEARLY" && m_month)
        rule += QStringLiteral(";BYMONTH=%1").arg(*m_month);
    if ((freq == u"MONTHLY" || freq == u"YEARLY") && m_monthDay)
        rule += QStringLiteral(";BYMONTHDAY=%1").arg(*m_monthDay);
    return rule;
}

bool WhenWords::repetition(qsizetype i) {
    static constexpr std::pair<QStringView, int> adverbs[]{
        {u"ежедневно", 0}, {u"еженедельно", 1}, {u"ежемесячно", 2}, {u"ежегодно", 3}};
    static constexpr const char* freqs[]{"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    const int adverb = lookUp(m_words.norm(i), adverbs);
    if (adverb < 0)
        return everyPhrase(i) || byWeekdays(i);
    m_repeat = Repeat{.freq = freqs[adverb]};
    m_words.use(i);
    return true;
}

bool WhenWords::everyPhrase(qsizetype i) {
    if (!m_words.is(i, {u"каждый", u"каждую", u"каждое", u"каждые", u"каждого", u"каждой"}))
        return false;
    qsizetype unit = i + 1;
    int count = 1;
    if (m_words.isFree(unit) && cardinal(m_words.norm(unit)) > 0)
        count = cardinal(m_words.norm(unit++));
    else if (m_words.isFree(unit) && m_words.norm(unit).toInt() > 0)
        count = m_words.norm(unit++).toInt();
    if (count > maxAhead || !m_words.isFree(unit))
        return false;
    Repeat repeat{.interval = count};
    qsizetype last = unit;
    if (m_words.is(unit, dayWords)) {
        repeat.freq = "DAILY";
    } else if (m_words.is(unit, weekWords)) {
        repeat.freq = "WEEKLY";
    } else if (m_words.is(unit, monthWords)) {
        repeat.freq = "MONTHLY";
    } else if (m_words.is(unit, yearWords)) {
        repeat.freq = "YEARLY";
    } else if (count == 1 && m_words.is(unit, {u"утро", u"вечер", u"ночь"})) {
        m_period = m_words.norm(unit) == u"утро"    ? morning
                   : m_words.norm(unit) == u"вечер" ? evening
                                                    : night;
    } else if (count == 1 && m_words.is(unit, {u"будний", u"будни"})) {
        repeat = Repeat{.freq = "WEEKLY", .weekdays = {1, 2, 3, 4, 5}};
        if (m_words.is(unit + 1, dayWords))
            ++last;
    } else if (count == 1 && m_words.is(unit, {u"выходные"})) {
        repeat = Repeat{.freq = "WEEKLY", .weekdays = {6, 7}};
    } else if (count == 1 && weekdayNumber(m_words, unit) > 0) {
        repeat.freq = "WEEKLY";
        last = weekdayList(unit, repeat.weekdays);
    } else {
        return false;
    }
    m_repeat = repeat;
    m_words.use(i, last);
    return true;
}

bool WhenWords::byWeekdays(qsizetype i) {
    if (!m_words.is(i, {u"по"}) || !m_words.isFree(i + 1))
        return false;
    const QString& word = m_words.norm(i + 1);
    Repeat repeat{.freq = "WEEKLY"};
    qsizetype last = i + 1;
    if (word == u"будням") {
        repeat.weekdays = {1, 2, 3, 4, 5};
    } else if (word == u"выходным") {
        repeat.weekdays = {6, 7};
    } else if (word == u"утрам" || word == u"вечерам") {
        repeat.freq = "DAILY";
        m_period = word == u"утрам" ? morning : evening;
    } else if ((word.endsWith(u"ам") || word.endsWith(u"ям")) &&
               weekdayNumber(m_words, i + 1) > 0) {
        last = weekdayList(i + 1, repeat.weekdays);
    } else {
        return false;
    }
    m_repeat = repeat;
    m_words.use(i, last);
    return true;
}

qsizetype WhenWords::weekdayList(qsizetype i, QList<int>& days) const {
    qsizetype last = i;
    for (qsizetype k = i; weekdayNumber(m_words, k) > 0;) {
        days.append(weekdayNumber(m_words, k));
        last = k;
        k += m_words.is(k + 1, {u"и"}) ? 2 : 1;
    }
    return last;
}

bool WhenWords::relativeDay(qsizetype i) {
    static constexpr std::pair<QStringView, int> days[]{
        {u"сегодня", 0}, {u"завтра", 1}, {u"послезавтра", 2}};
    const int offset = lookUp(m_words.norm(i), days);
    if (offset < 0)
        return false;
    m_date = m_now.date().addDays(offset);
    m_words.use(i);
    usePreposition(i);
    return true;
}

bool WhenWords::weekday(qsizetype i) {
    const int target = weekdayNumber(m_words, i);
    if (target < 0)
        return false;
    m_words.use(i);
    qsizetype first = i;
    const QDate today = m_now.date();
    int ahead = (target - today.dayOfWeek() + 7) % 7;
    if (m_words.isFree(i - 1) && m_words.stem(i - 1) == u"след") {
        ahead = 7 - today.dayOfWeek() + target; // in the week after this one
        m_words.use(--first);
    } else if (m_words.is(i - 1, {u"этот", u"эту", u"это", u"этой"})) {
        m_words.use(--first); // this week's, or the next one once it has passed
    } else if (ahead == 0) {
        ahead = 7;
    }
    usePreposition(first);
    m_date = today.addDays(ahead);
    return true;
}

bool WhenWords::after(qsizetype i) {
    if (!m_words.is(i, {u"через"}) || !m_words.isFree(i + 1))
        return false;
    if (m_words.norm(i + 1) == u"полчаса") {
        m_exact = m_now.addSecs(30 * 60);
        m_words.use(i, i + 1);
        return true;
    }
    qsizetype unit = i + 1;
    int count = cardinal(m_words.norm(unit));
    if (count < 0)
        count = m_words.norm(unit).toInt();
    if (count >= 20 && m_words.isFree(unit + 1) && cardinal(m_words.norm(unit + 1)) > 0 &&
        cardinal(m_words.norm(unit + 1)) < 10)
        count += cardinal(m_words.norm(++unit)); // "двадцать пять"
    const bool counted = count > 0;
    if (counted)
        ++unit;
    else
        count = 1; // "через неделю", "через час"
    if (count > maxAhead || !m_words.isFree(unit))
        return false;
    const QString& word = m_words.norm(unit);
    if (CommandSentence::among(word, {u"минуту", u"минуты", u"минут"}) && counted)
        m_exact = m_now.addSecs(qint64(count) * 60);
    else if (m_words.is(unit, hourWords))
        m_exact = m_now.addSecs(qint64(count) * 3600);
    else if (m_words.is(unit, dayWords) && counted)
        m_date = m_now.date().addDays(count);
    else if (m_words.is(unit, weekWords))
        m_date = m_now.date().addDays(7 * count);
    else if (m_words.is(unit, monthWords))
        m_date = m_now.date().addMonths(count);
    else if (m_words.is(unit, yearWords))
        m_date = m_now.date().addYears(count);
    else
        return false;
    m_words.use(i, unit);
    return true;
}

bool WhenWords::dayOfMonth(qsizetype i) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})(-?го|-?е)?$"));
    const QRegularExpressionMatch match = pattern.match(m_words.norm(i));
    const int month = m_words.isFree(i + 1) ? monthNumber(m_words.norm(i + 1)) : -1;
    int day = match.hasMatch() ? match.captured(1).toInt() : -1;
    if (!match.hasMatch() && month > 0)
        day = ordinal(m_words.norm(i)); // "пятого марта"
    if (day < 1 || day > 31)
        return false;
    qsizetype last = i;
    if (month > 0) {
        if (!QDate(2024, month, day).isValid()) // a leap year: 29 февраля is a date
            return false;
        m_month = month;
        ++last;
    } else if (m_words.is(i + 1, {u"числа", u"число", u"числу"})) {
        ++last;
    } else if (!match.hasCaptured(2)) {
        return false; // a bare number is no day
    }
    m_monthDay = day;
    m_words.use(i, last);
    usePreposition(i);
    return true;
}

bool WhenWords::endOf(qsizetype i) {
    if (!m_words.is(i, {u"конца"}) || !m_words.is(i - 1, {u"до", u"к"}) || !m_words.isFree(i + 1))
        return false;
    const QDate today = m_now.date();
    const QString& unit = m_words.norm(i + 1);
    if (unit == u"дня")
        m_date = today;
    else if (unit == u"недели")
        m_date = today.addDays(7 - today.dayOfWeek());
    else if (unit == u"месяца")
        m_date = QDate(today.year(), today.month(), today.daysInMonth());
    else
        return false;
    m_words.use(i - 1, i + 1);
    return true;
}

bool WhenWords::period(qsizetype i) {
    static constexpr std::pair<QStringView, int> names[]{
        {u"утром", morning}, {u"днем", midday}, {u"вечером", evening}, {u"ночью", night}};
    const int hour = lookUp(m_words.norm(i), names);
    if (hour < 0)
        return false;
    m_period = hour;
    m_words.use(i);
    return true;
}

bool WhenWords::noon(qsizetype i) {
    if (!m_words.is(i, {u"полдень", u"полночь"}))
        return false;
    m_hour = m_words.norm(i) == u"полдень" ? 12 : 0;
    m_minute = 0;
    m_words.use(i);
    usePreposition(i);
    return true;
}

bool WhenWords::halfPast(qsizetype i) {
    if (!m_words.is(i, {u"половине"}) || !m_words.isFree(i + 1))
        return false;
    const int next = ordinal(m_words.norm(i + 1));
    if (next < 1 || next > 12)
        return false;
    m_hour = next == 1 ? 12 : next - 1;
    m_minute = 30;
    qsizetype last = i + 1;
    if (m_words.isFree(i + 2) && periodOfClock(m_words.norm(i + 2)) > 0)
        m_period = periodOfClock(m_words.norm(++last));
    m_words.use(i, last);
    usePreposition(i);
    return true;
}

bool WhenWords::clockTime(qsizetype i) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})[:.](\\d{2})$"));
    const QString& word = m_words.norm(i);
    const QRegularExpressionMatch match = pattern.match(word);
    qsizetype last = i;
    int hour = -1;
    int minute = 0;
    if (match.hasMatch()) {
        hour = match.captured(1).toInt();
        minute = match.captured(2).toInt();
    } else {
        bool digits = false;
        hour = word.toInt(&digits);
        if (!digits)
            hour = cardinal(word);
        const bool marked = m_words.is(i + 1, hourWords) ||
                            (m_words.isFree(i + 1) && periodOfClock(m_words.norm(i + 1)) > 0);
        if ((!m_words.is(i - 1, {u"в", u"к", u"до"}) && !marked) ||
            m_words.is(i + 1, {u"раз", u"раза", u"штук", u"штуки"}))
            return false;
        if (m_words.is(last + 1, hourWords))
            ++last;
        if (m_words.isFree(last + 1) && periodOfClock(m_words.norm(last + 1)) > 0)
            m_period = periodOfClock(m_words.norm(++last));
    }
    if (hour < 0 || hour > 23 || minute > 59)
        return false;
    m_hour = hour;
    m_minute = minute;
    m_words.use(i, last);
    usePreposition(i);
    return true;
}

void WhenWords::usePreposition(qsizetype i) {
    if (m_words.is(i - 1, prepositions))
        m_words.use(i - 1);
}

std::optional<QTime> WhenWords::time() const {
    if (m_hour)
        return QTime(withPeriod(*m_hour, m_period), m_minute);
    if (m_period)
        return QTime(*m_period, 0);
    return std::nullopt;
}

std::optional<QDate> WhenWords::monthDate() const {
    if (!m_monthDay)
        return std::nullopt;
    const QDate today = m_now.date();
    if (m_month) {
        // The next such day: this year's, or a later one (29 февраля waits for a leap year).
        for (int year = today.year(); year <= today.year() + 8; ++year)
            if (const QDate date(year, *m_month, *m_monthDay); date.isValid() && date >= today)
                return date;
        return std::nullopt;
    }
    for (int months = 0; months <= 12; ++months) {
        const QDate first = QDate(today.year(), today.month(), 1).addMonths(months);
        if (const QDate date(first.year(), first.month(), *m_monthDay);
            date.isValid() && date >= today)
            return date;
    }
    return std::nullopt;
}

std::optional<QDate> WhenWords::firstOccurrence(const QTime& at) const {
    for (int ahead = 0; ahead <= 7; ++ahead) {
        const QDate date = m_now.date().addDays(ahead);
        if (m_repeat->weekdays.contains(date.dayOfWeek()) &&
            QDateTime(date, at, m_now.timeZone()) > m_now)
            return date;
    }
    return std::nullopt;
}
