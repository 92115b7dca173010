#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/replica/AsyncMutex.h"
#include "OndrelCore/replica/PendingChange.h"
#include "OndrelCore/replica/SyncReport.h"

#include <QCoroTask>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class ChangeQueue;
class DiskReplica;

// One sync run: the queued changes go to the service oldest first, each applied to the replica
// as the service answers it and only then dropped from the queue; once the queue is empty the
// changes since the cursor are pulled into the replica. A change the service refuses is
// dropped and reported, and the next pull is a full one so that the service's version replaces
// the local one. An unreachable service stops the run with the rest still queued, in order.
class SyncLoop : public QObject {
    Q_OBJECT
public:
    using ClientSource = std::function<APIClient()>; // a client with the current token

    // `replica` and `queue` must outlive the loop.
    SyncLoop(DiskReplica& replica, ChangeQueue& queue, ClientSource client,
             QObject* parent = nullptr);

    // Runs take turns; a run started during another waits for it and then sends what is left.
    QCoro::Task<SyncReport> run();
    bool isRunning() const { return m_running->isLocked(); }
    // Drops a queued change that is not being sent at this moment; false when it has been
    // sent already (or is out right now), and only an opposite change can undo it.
    bool withdraw(qint64 seq);

private:
    // What an accepted change brought back for the report: for captures and typed lines, the
    // assistant's answer (absent when there was none).
    struct Answer {
        bool fromAssistant = false;
        std::optional<QString> text;
    };
    using Sent = std::variant<TaskItem, Folder, ApplyResult, CaptureProcessResponse>;

    static QCoro::Task<Sent> send(APIClient api, PendingChange change);
    Answer settle(const PendingChange& change, const Sent& sent);
    QCoro::Task<> pull(bool full);

    DiskReplica& m_replica;
    ChangeQueue& m_queue;
    ClientSource m_client;
    std::optional<qint64> m_sending;
    bool m_fullPullDue = false;
    std::shared_ptr<AsyncMutex> m_running = std::make_shared<AsyncMutex>();
};
