#pragma once

#include "OndrelCore/planning/ReminderRequest.h"

#include <QCoroTask>
#include <QString>

// A calendar that can hold reminders.
class CalendarService {
public:
    virtual ~CalendarService() = default;
    // The back end's identifier of the created entry; throws what the back end reports.
    virtual QCoro::Task<QString> addReminder(ReminderRequest request) = 0;
};
