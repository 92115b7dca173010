#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QElapsedTimer>

// Where reminders read the time: the wall clock for due instants and a monotonic clock that
// stands still while the machine sleeps, so that comparing the two reveals a jump of either.
class ReminderClock {
public:
    virtual ~ReminderClock() = default;
    virtual Instant now() const = 0;
    virtual qint64 monotonicMs() const = 0;
};

class SystemReminderClock final : public ReminderClock {
public:
    SystemReminderClock() { m_started.start(); }
    Instant now() const override { return Instant::now(); }
    qint64 monotonicMs() const override { return m_started.elapsed(); }

private:
    QElapsedTimer m_started;
};
