#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QString>
#include <QStringList>

// The words of a reminder, in the user's local time.
namespace ReminderTexts {

// "Сегодня в 18:00", "Завтра в 9:00", otherwise the date: "12 марта в 9:00", with the year
// when it is not this one.
QString dueText(Instant due, Instant now);
// "Просрочено: 1 задача", "… 3 задачи", "… 5 задач".
QString overdueTitle(qsizetype count);
// The body of the notification: the due text, then the first line of the notes.
QString body(Instant due, Instant now, const QString& notes);
// The summary's body: a line per title, at most a handful, then an ellipsis.
QString titleList(const QStringList& titles);

} // namespace ReminderTexts
