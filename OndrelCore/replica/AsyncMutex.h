#pragma once

#include <QCoroTask>
#include <QObject>

// Lets coroutines on one thread take turns across their suspensions. Waiters wake on a later
// event-loop turn. A waiter must keep the mutex alive (hold it through a std::shared_ptr) until
// it has locked and unlocked, or it would never wake.
class AsyncMutex : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isLocked() const { return m_locked; }
    // Completes once this caller holds the mutex.
    QCoro::Task<> lock();
    void unlock();

Q_SIGNALS:
    void unlocked();

private:
    bool m_locked = false;
};
