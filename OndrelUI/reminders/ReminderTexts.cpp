#include "OndrelUI/reminders/ReminderTexts.h"

#include <QDateTime>
#include <QLocale>

namespace {

constexpr qsizetype listedTitles = 5;

QString taskWord(qsizetype count) {
    const qsizetype lastTwo = count % 100;
    const qsizetype last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return QStringLiteral("задач");
    if (last == 1)
        return QStringLiteral("задача");
    if (last >= 2 && last <= 4)
        return QStringLiteral("задачи");
    return QStringLiteral("задач");
}

} // namespace

namespace ReminderTexts {

QString dueText(Instant due, Instant now) {
    const QDateTime at = due.toQDateTime().toLocalTime();
    const QDate today = now.toQDateTime().toLocalTime().date();
    const QString time = at.toString(QStringLiteral("H:mm"));
    if (at.date() == today)
        return QStringLiteral("Сегодня в ") + time;
    if (at.date() == today.addDays(1))
        return QStringLiteral("Завтра в ") + time;
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QString format =
        at.date().year() == today.year() ? QStringLiteral("d MMMM") : QStringLiteral("d MMMM yyyy");
    return russian.toString(at.date(), format) + QStringLiteral(" в ") + time;
}

QString overdueTitle(qsizetype count) {
    return QStringLiteral("Просрочено: %1 %2").arg(count).arg(taskWord(count));
}

QString body(Instant due, Instant now, const QString& notes) {
    const QString firstLine = notes.section(u'\n', 0, 0).trimmed();
    const QString when = dueText(due, now);
    return firstLine.isEmpty() ? when : when + u'\n' + firstLine;
}

QString titleList(const QStringList& titles) {
    QStringList lines = titles.mid(0, listedTitles);
    if (titles.size() > listedTitles)
        lines << QStringLiteral("…");
    return lines.join(u'\n');
}

} // namespace ReminderTexts
