#pragma once

#include "OndrelLocalService/state/ServiceState.h"
#include "OndrelLocalService/state/StateFile.h"

#include <functional>
#include <optional>

// Owns the service's state and its data file. Every change runs inside `change`, which saves
// the new state before the caller answers and puts the old one back if anything fails, so a
// request either happens completely (and is on disk) or not at all.
class ServiceStore {
public:
    using Clock = std::function<Instant()>;

    // Without a file the state lives in memory only. Loading may throw (see StateFile::load).
    explicit ServiceStore(std::optional<StateFile> file = std::nullopt,
                          Clock clock = &Instant::now);

    const ServiceState& state() const { return m_state; }
    ServiceState& mutableState() { return m_state; }

    // Changes nest: only the outermost one saves, and a failure anywhere undoes all of it.
    template <class Operation>
    auto change(Operation operation) -> decltype(operation()) {
        if (m_depth > 0)
            return operation();
        const ServiceState before = m_state;
        ++m_depth;
        try {
            if constexpr (std::is_void_v<decltype(operation())>) {
                operation();
                finish();
            } else {
                auto result = operation();
                finish();
                return result;
            }
        } catch (...) {
            m_depth = 0;
            m_state = before;
            throw;
        }
    }

    // The wall clock, to the millisecond (the wire's precision).
    Instant now() const;
    // A change time strictly later than every one handed out before.
    Instant stamp();
    // The time a sync answer reports; every later change is stamped strictly after it.
    Instant serverTime();

    Folder* folder(const QString& userId, const QString& id);
    const Folder* folder(const QString& userId, const QString& id) const;
    TaskItem* task(const QString& userId, const QString& id);
    Capture* capture(const QString& userId, const QString& id);
    ProcessingRun* run(const QString& id);
    const User* user(const QString& id) const;
    // The user's system inbox folder.
    Folder* inbox(const QString& userId);

private:
    void finish() {
        --m_depth;
        persist();
    }
    void persist();

    std::optional<StateFile> m_file;
    Clock m_clock;
    ServiceState m_state;
    int m_depth = 0;
};
