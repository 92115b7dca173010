#pragma once

#include "OndrelCore/replica/LocalStore.h"
#include "OndrelCore/wire/Instant.h"

#include <optional>

class ReplicaFile;

// The local store kept on disk: every change is written in one transaction before the
// in-memory store, which the listings read, takes it. Merging follows LocalStore exactly (the
// pulled record replaces the local one whole; tombstones stay). The pull cursor and the time
// of the last successful sync live in the same file.
class DiskReplica {
public:
    // Loads what the file holds; `file` must outlive the replica.
    explicit DiskReplica(ReplicaFile& file);

    const LocalStore& store() const { return m_store; }
    const std::optional<Instant>& cursor() const { return m_cursor; }
    // When the last pull succeeded, by this machine's clock (for "обновлено в …").
    const std::optional<Instant>& lastSynced() const { return m_lastSynced; }

    // Merges a pull and moves the cursor to its serverTime, all in one transaction.
    void applyPull(const SyncPullResponse& pull, Instant syncedAt);
    void upsert(const Folder& folder);
    void upsert(const TaskItem& task);

private:
    void load();
    void writeCursor(Instant cursor, Instant syncedAt);

    ReplicaFile& m_file;
    LocalStore m_store;
    std::optional<Instant> m_cursor;
    std::optional<Instant> m_lastSynced;
};
