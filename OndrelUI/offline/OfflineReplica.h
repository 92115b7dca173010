#pragma once

#include "OndrelCore/bodies/TaskPatchBody.h"
#include "OndrelCore/replica/ChangeQueue.h"
#include "OndrelCore/replica/DiskReplica.h"
#include "OndrelCore/replica/ReplicaFile.h"
#include "OndrelCore/replica/SyncLoop.h"

#include <QString>

// A signed-in user's replica and change queue in one file, and the loop that sends the queue.
// A local change is applied to the replica and queued in one step each, so that the screens
// show it at once and a restart still sends it.
class OfflineReplica {
public:
    // Throws std::runtime_error when the file cannot be opened or migrated.
    OfflineReplica(const QString& path, SyncLoop::ClientSource client);

    // Where the signed-in user's file lives: the application's data directory.
    static QString defaultPath();
    // Removes a replica file, its queue and the queued recordings: for signing out. The file
    // must not be open.
    static void forget(const QString& path);

    const QString& path() const { return m_file.path(); }
    const LocalStore& store() const { return m_replica.store(); }
    DiskReplica& replica() { return m_replica; }
    ChangeQueue& queue() { return m_queue; }
    SyncLoop& loop() { return m_loop; }

    // Each applies the change to the replica and queues it; returns its place in the queue.
    qint64 setDone(const TaskItem& task, bool done);
    qint64 remove(const TaskItem& task);
    // Throws for a task the replica does not hold.
    qint64 patch(const QString& taskId, const TaskPatchBody& patch);
    qint64 createFolder(const QString& name);
    // `moveTo` absent deletes the folder's tasks with it.
    qint64 deleteFolder(const Folder& folder, const std::optional<QString>& moveTo);
    qint64 ask(const QString& text);
    qint64 capture(const QByteArray& audio, const QString& mimeType);

    // The same task made anew (under a new id): what undoes a deletion the service has had.
    qint64 recreate(const TaskItem& task);

    // Undoes a change still queued and not being sent: the replica gets `before` back.
    bool withdraw(qint64 seq, const TaskItem& before);

private:
    static QString recordingsOf(const QString& path);

    ReplicaFile m_file;
    DiskReplica m_replica;
    ChangeQueue m_queue;
    SyncLoop m_loop;
};
