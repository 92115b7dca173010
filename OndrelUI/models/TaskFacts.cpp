#include "OndrelUI/models/TaskFacts.h"

#include <QLocale>

#include <algorithm>

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

} // namespace TaskFacts
