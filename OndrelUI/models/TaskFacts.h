#pragma once

#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QString>
#include <QTimeZone>

// What a task card shows in its line of short facts, decided here so the card only draws it.
// Dates read in Russian in the given zone (the list uses the system's).
namespace TaskFacts {

// A task counts as done only in the DONE status; a cancelled one is closed but not done.
bool isDone(const TaskItem& task);

// The deadline as an abbreviated date, or empty when the card shows no date: without a
// deadline flag or without a due date.
QString dueText(const TaskItem& task, const QTimeZone& zone);

// The shown deadline has passed and the task is not done.
bool isOverdue(const TaskItem& task, Instant now);

// The card says that the task has no deadline: no date is shown and the task is not done.
bool showsNoDeadline(const TaskItem& task);

// "done/total" of the checklist, or empty without entries.
QString checklistText(const TaskItem& task);

// When a done task was completed, as an abbreviated date with a short time; empty otherwise.
QString completedText(const TaskItem& task, const QTimeZone& zone);

// The card as a screen reader says it: "Купить молоко, не выполнена, срок 8 декабря, высокий
// приоритет", then whether it is overdue and how much of its checklist is done.
QString spokenText(const TaskItem& task, const QTimeZone& zone, Instant now);

// "12 мар. 2025 г." and "12 мар. 2025 г., 14:30".
QString abbreviatedDate(Instant instant, const QTimeZone& zone);
QString abbreviatedDateTime(Instant instant, const QTimeZone& zone);

} // namespace TaskFacts
