#include "support/MockCalendarService.h"

QCoro::Task<QString> MockCalendarService::addReminder(ReminderRequest request) {
    m_added.append(std::move(request));
    // A copy: QCoro's promise moves from a non-const lvalue given to co_return.
    co_return QString(m_nextIdentifier);
}
