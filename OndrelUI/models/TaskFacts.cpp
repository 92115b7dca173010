#include "OndrelUI/models/TaskFacts.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QLocale& russian() {
    static const QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}

bool showsDueDate(const TaskItem& task) {
    return task.hasDeadline && task.dueDate.has_value();
}

} // namespace

namespace TaskFacts {

bool isDone(const TaskItem& task) {
    return task.status == TaskStatus::done;
}

QString dueText(const TaskItem& task, const QTimeZone& zone) {
    return showsDueDate(task) ? abbreviatedDate(*task.dueDate, zone) : QString();
}

bool isOverdue(const TaskItem& task, Instant now) {
    return showsDueDate(task) && !isDone(task) && *task.dueDate < now;
}

bool showsNoDeadline(const TaskItem& task) {
    return !showsDueDate(task) && !isDone(task);
}

QString checklistText(const TaskItem& task) {
    if (!task.checklist || task.checklist->isEmpty())
        return {};
    const auto done = std::count_if(task.checklist->begin(), task.checklist->end(),
                                    [](const ChecklistItem& item) { return item.done; });
    return QString::number(done) + u'/' + QString::number(task.checklist->size());
}

QString completedText(const TaskItem& task, const QTimeZone& zone) {
    return isDone(task) && task.completedAt ? abbreviatedDateTime(*task.completedAt, zone)
                                            : QString();
}

QString abbreviatedDate(Instant instant, const QTimeZone& zone) {
    return russian().toString(instant.toQDateTime().toTimeZone(zone), u"d MMM yyyy 'г.'");
}

QString abbreviatedDateTime(Instant instant, const QTimeZone& zone) {
    return russian().toString(instant.toQDateTime().toTimeZone(zone), u"d MMM yyyy 'г.', HH:mm");
}

QString spokenText(const TaskItem& task, const QTimeZone& zone, Instant now) {
    QStringList parts{task.title, isDone(task) ? u"выполнена"_s : u"не выполнена"_s};
    if (showsDueDate(task)) {
        const QDateTime due = task.dueDate->toQDateTime().toTimeZone(zone);
        const bool thisYear = due.date().year() == now.toQDateTime().toTimeZone(zone).date().year();
        parts.append(QStringLiteral("срок ") +
                     russian().toString(due, thisYear ? u"d MMMM" : u"d MMMM yyyy 'г.'"));
        if (isOverdue(task, now))
            parts.append(u"просрочена"_s);
    } else if (showsNoDeadline(task)) {
        parts.append(u"без срока"_s);
    }
    switch (task.priority) {
    case Priority::high:
        parts.append(u"высокий приоритет"_s);
        break;
    case Priority::medium:
        parts.append(u"средний приоритет"_s);
        break;
    case Priority::low:
        parts.append(u"низкий приоритет"_s);
        break;
    case Priority::none:
        break;
    }
    if (const QString checklist = checklistText(task); !checklist.isEmpty())
        parts.append(QStringLiteral("пунктов выполнено ") +
                     QString(checklist).replace(u'/', u" из "_s));
    return parts.join(u", ");
}

} // namespace TaskFacts
