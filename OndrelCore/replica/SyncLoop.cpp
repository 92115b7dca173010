#include "OndrelCore/replica/SyncLoop.h"

#include "OndrelCore/client/IdempotencyKey.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/ChangeQueue.h"
#include "OndrelCore/replica/DiskReplica.h"
#include "OndrelCore/replica/Reachability.h"

#include <QFile>
#include <QPointer>
#include <QScopeGuard>

#include <stdexcept>

namespace {

template <class Record>
Record tombstone(Record record) {
    record.deleted = true;
    return record;
}

QString idOf(const auto& record) {
    if constexpr (requires { record.id; })
        return record.id;
    else
        return QString();
}

QByteArray readRecording(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the queued recording is gone: " + path.toStdString());
    return file.readAll();
}

} // namespace

SyncLoop::SyncLoop(DiskReplica& replica, ChangeQueue& queue, ClientSource client, QObject* parent)
    : QObject(parent), m_replica(replica), m_queue(queue), m_client(std::move(client)) {}

bool SyncLoop::withdraw(qint64 seq) {
    return m_sending != seq && m_queue.remove(seq);
}

// Only the request: nothing of the loop is touched after it went out, since the loop may be
// gone by the time the answer comes.
// Only the request: nothing of the loop is touched once it went out, since the loop may be
// gone by the time the answer comes. Tasks are named before they are awaited (g++ 12 may
// destroy a co_await temporary twice).
QCoro::Task<SyncLoop::Sent> SyncLoop::send(APIClient api, PendingChange change) {
    using Kind = PendingChange::Kind;
    const auto decoded = [&change]<class Body>(std::type_identity<Body>) {
        return ODJSON::decoder().decode<Body>(change.payload);
    };
    switch (change.kind) {
    case Kind::completeTask: {
        auto sending = api.completeTask(change.target);
        co_return Sent(co_await sending);
    }
    case Kind::reopenTask: {
        auto sending = api.patchTask(change.target, TaskPatchBody{.status = TaskStatus::todo});
        co_return Sent(co_await sending);
    }
    case Kind::patchTask: {
        auto sending = api.patchTask(change.target, decoded(std::type_identity<TaskPatchBody>()));
        co_return Sent(co_await sending);
    }
    case Kind::deleteTask: {
        auto sending = api.deleteTask(change.target);
        co_return Sent(co_await sending);
    }
    case Kind::createFolder: {
        auto sending = api.createFolder(decoded(std::type_identity<FolderCreateBody>()));
        co_return Sent(co_await sending);
    }
    case Kind::createTask: {
        auto sending = api.createTask(decoded(std::type_identity<TaskCreateBody>()));
        co_return Sent(co_await sending);
    }
    case Kind::deleteFolder: {
        const QList<QByteArray> action = change.payload.split('\n');
        const std::optional<QString> to =
            action.size() > 1 ? std::optional(QString::fromUtf8(action[1])) : std::nullopt;
        auto sending = api.deleteFolder(change.target, QString::fromUtf8(action[0]), to);
        co_return Sent(co_await sending);
    }
    case Kind::askText: {
        auto sending = api.assistantAsk(QString::fromUtf8(change.payload));
        co_return Sent(co_await sending);
    }
    case Kind::capture: {
        const QByteArray audio = readRecording(change.file.value_or(QString()));
        auto sending = api.createCapture(QString::fromLatin1(audio.toBase64()),
                                         QString::fromUtf8(change.payload), std::nullopt);
        co_return Sent(co_await sending);
    }
    }
    throw std::logic_error("unknown change kind");
}

// The service's answer into the replica. A record made here gives way to the service's own,
// and the changes queued after it name the service's id from now on.
SyncLoop::Answer SyncLoop::settle(const PendingChange& change, const Sent& sent) {
    using Kind = PendingChange::Kind;
    // An answered line or recording is done with: sent again, it would make its tasks twice.
    if (const auto* result = std::get_if<ApplyResult>(&sent)) {
        m_queue.remove(change.seq);
        return Answer{.fromAssistant = true, .text = result->answer};
    }
    if (const auto* response = std::get_if<CaptureProcessResponse>(&sent)) {
        m_queue.remove(change.seq);
        return Answer{.fromAssistant = true,
                      .text = response->result ? std::optional(response->result->answer)
                                               : std::nullopt};
    }
    if (const auto* folder = std::get_if<Folder>(&sent)) {
        if (change.kind == Kind::createFolder)
            if (const Folder* local = m_replica.store().folder(change.target))
                m_replica.upsert(tombstone(*local));
        m_replica.upsert(*folder);
        // A deleted folder's tasks moved or went with it: a full pull shows where.
        m_fullPullDue = m_fullPullDue || change.kind == Kind::deleteFolder;
    }
    if (const auto* task = std::get_if<TaskItem>(&sent)) {
        if (change.kind == Kind::createTask)
            if (const TaskItem* local = m_replica.store().task(change.target))
                m_replica.upsert(tombstone(*local));
        m_replica.upsert(*task);
    }
    if (change.kind == Kind::createFolder || change.kind == Kind::createTask)
        m_queue.acceptCreation(change.seq, change.target,
                               std::visit([](const auto& record) { return idOf(record); }, sent));
    else
        m_queue.remove(change.seq);
    return Answer{};
}

QCoro::Task<SyncReport> SyncLoop::run() {
    QPointer<SyncLoop> self(this);
    const std::shared_ptr<AsyncMutex> running = m_running;
    co_await running->lock();
    const auto unlock = qScopeGuard([running] { running->unlock(); });
    SyncReport report;
    if (!self)
        co_return report;
    // The queue's head stays in place until its answer is applied: a crash at any point
    // leaves it queued, to be sent again.
    while (!m_queue.items().isEmpty()) {
        const PendingChange change = m_queue.items().first();
        m_sending = change.seq;
        std::exception_ptr failure;
        try {
            // The change's own key rides along, so that a resend after a lost answer makes
            // nothing twice where the service honours it.
            const APIClient client = IdempotencyKey::isUsable(change.key.toUtf8())
                                         ? m_client().withIdempotencyKey(change.key)
                                         : m_client();
            auto sending = send(client, change);
            const Sent sent = co_await sending;
            if (!self)
                co_return report;
            if (const Answer answer = settle(change, sent); answer.fromAssistant)
                report.answers.append(answer.text);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self)
            co_return report;
        m_sending.reset();
        if (failure && meansUnreachable(failure)) {
            report.state = SyncReport::State::offline;
            report.error = failure;
            co_return report;
        }
        if (failure && !meansRefused(failure)) {
            report.state = SyncReport::State::failed;
            report.error = failure;
            co_return report;
        }
        if (failure) {
            report.refused.append(change.target);
            m_fullPullDue = true;
            m_queue.remove(change.seq);
        }
    }
    try {
        auto pulling = pull(m_fullPullDue);
        co_await pulling;
    } catch (...) {
        report.error = std::current_exception();
        report.state =
            meansUnreachable(report.error) ? SyncReport::State::offline : SyncReport::State::failed;
    }
    co_return report;
}

QCoro::Task<> SyncLoop::pull(bool full) {
    QPointer<SyncLoop> self(this);
    const APIClient api = m_client();
    auto pulling = api.syncPull(full ? std::nullopt : m_replica.cursor());
    const SyncPullResponse response = co_await pulling;
    if (!self)
        co_return;
    m_replica.applyPull(response, Instant::now());
    m_fullPullDue = false;
}
