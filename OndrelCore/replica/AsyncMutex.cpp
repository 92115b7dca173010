#include "OndrelCore/replica/AsyncMutex.h"

#include <QCoroSignal>

QCoro::Task<> AsyncMutex::lock() {
    // Every waiter wakes on unlock; the first to run takes the mutex, the rest wait again.
    while (m_locked)
        co_await qCoro(this, &AsyncMutex::unlocked);
    m_locked = true;
}

void AsyncMutex::unlock() {
    m_locked = false;
    Q_EMIT unlocked();
}
