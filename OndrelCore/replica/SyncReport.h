#pragma once

#include <QList>
#include <QString>

#include <exception>
#include <optional>

// What one sync run ended with. `answers` holds the assistant's answer for each queued
// capture or typed line the service accepted, in order (absent when a capture had none);
// `refused` names the tasks and folders whose change the service refused.
struct SyncReport {
    enum class State { synced, offline, failed };

    State state = State::synced;
    QList<std::optional<QString>> answers;
    QList<QString> refused;
    std::exception_ptr error; // why the run stopped: offline or failed
};
