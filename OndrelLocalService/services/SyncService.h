#pragma once

#include "OndrelCore/bodies/SyncPushBody.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"
#include "OndrelLocalService/services/TaskService.h"

#include <optional>

// Pull: every record changed after a cursor, tombstones included. Push: a change is applied
// unless the stored record was changed later than it; otherwise the stored record comes back
// as a conflict.
class SyncService {
public:
    SyncService(ServiceStore& store, TaskService& tasks) : m_store(store), m_tasks(tasks) {}

    SyncPullResponse pull(const QString& userId, const std::optional<Instant>& since);
    SyncPushResponse push(const QString& userId, const SyncPushBody& body);

private:
    enum class Outcome { applied, conflict, skipped };
    Outcome apply(const QString& userId, const SyncTaskInput& input, Instant updatedAt);

    ServiceStore& m_store;
    TaskService& m_tasks;
};
