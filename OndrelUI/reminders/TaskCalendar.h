#pragma once

#include "OndrelCore/planning/CalendarService.h"
#include "OndrelUI/reminders/DesktopCalendarService.h"

// The desktop calendar as one task's scheduler sees it: its reminders are kept under the
// task's id, so what was shown for the task is remembered across restarts.
class TaskCalendar final : public CalendarService {
public:
    TaskCalendar(DesktopCalendarService* calendar, QString taskId)
        : m_calendar(calendar), m_taskId(std::move(taskId)) {}

    QCoro::Task<QString> addReminder(ReminderRequest request) override {
        co_return m_calendar->add(m_taskId, std::move(request));
    }

private:
    DesktopCalendarService* m_calendar;
    QString m_taskId;
};
