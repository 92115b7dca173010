#pragma once

#include "OndrelCore/planning/CalendarService.h"

#include <QList>

// An in-memory calendar that records every request and answers with `nextIdentifier`, which
// does not advance by itself. Calls are expected one at a time.
class MockCalendarService : public CalendarService {
public:
    const QList<ReminderRequest>& added() const { return m_added; }
    const QString& nextIdentifier() const { return m_nextIdentifier; }
    void setNextIdentifier(QString identifier) { m_nextIdentifier = std::move(identifier); }

    QCoro::Task<QString> addReminder(ReminderRequest request) override;

private:
    QList<ReminderRequest> m_added;
    QString m_nextIdentifier = QStringLiteral("evt-1");
};
