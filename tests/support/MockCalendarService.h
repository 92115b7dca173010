#pragma once

#include "OndrelCore/planning/CalendarService.h"

#include <QList>

// An in-memory calendar that records every request and answers each with the same identifier.
class MockCalendarService : public CalendarService {
public:
    const QList<ReminderRequest>& added() const { return m_added; }

    QCoro::Task<QString> addReminder(ReminderRequest request) override {
        m_added.append(std::move(request));
        co_return QStringLiteral("evt-1");
    }

private:
    QList<ReminderRequest> m_added;
};
