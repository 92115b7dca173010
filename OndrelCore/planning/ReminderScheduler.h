#pragma once

#include "OndrelCore/planning/CalendarService.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QCoroTask>

#include <memory>
#include <optional>

// Places tasks with a deadline in a calendar. A cheap value; the calendar is shared.
class ReminderScheduler {
public:
    explicit ReminderScheduler(std::shared_ptr<CalendarService> calendar)
        : m_calendar(std::move(calendar)) {}

    const std::shared_ptr<CalendarService>& calendar() const { return m_calendar; }

    // The created entry's identifier, or nothing when the task has no deadline (then the
    // calendar is not called). The calendar's errors propagate unchanged.
    QCoro::Task<std::optional<QString>> scheduleIfNeeded(TaskItem task) const;

private:
    std::shared_ptr<CalendarService> m_calendar;
};
