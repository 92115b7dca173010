#include "OndrelCore/planning/ReminderScheduler.h"

QCoro::Task<std::optional<QString>> ReminderScheduler::scheduleIfNeeded(TaskItem task) const {
    if (!task.hasDeadline || !task.dueDate)
        co_return std::nullopt;
    // The scheduler may be a temporary: keep the calendar alive across the wait.
    const std::shared_ptr<CalendarService> calendar = m_calendar;
    ReminderRequest request{
        .title = task.title,
        .dueDate = *task.dueDate,
        .leadMinutes = task.reminderLead,
        // A rule that does not parse still leaves the reminder itself.
        .recurrence = task.recurrence ? RecurrenceRule::parse(*task.recurrence) : std::nullopt,
        .notes = task.body,
    };
    co_return co_await calendar->addReminder(std::move(request));
}
