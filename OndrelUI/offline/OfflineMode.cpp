#include "OndrelUI/offline/OfflineMode.h"

#include "OndrelCore/replica/Reachability.h"

#include "OndrelCore/client/APIError.h"

#include <QPointer>

namespace {

bool expiredToken(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const APIError& apiError) {
        return apiError.kind() == APIError::Kind::unauthorized;
    } catch (...) {
    }
    return false;
}

} // namespace

OfflineMode::OfflineMode(QObject* parent)
    : QObject(parent), m_connection(new ConnectionState(this)), m_undo(new UndoOffer(this)) {
    connect(m_connection, &ConnectionState::retryDue, this, &OfflineMode::retry);
}

OfflineMode::~OfflineMode() = default;

void OfflineMode::open(const QString& path, SyncLoop::ClientSource client, Renewal renew) {
    m_renew = std::move(renew);
    try {
        m_replica = std::make_unique<OfflineReplica>(path, std::move(client));
    } catch (const std::exception& error) {
        qWarning("Working without a replica: %s", error.what());
        return;
    }
    connect(&m_replica->queue(), &ChangeQueue::changed, this, &OfflineMode::queueChanged);
}

void OfflineMode::forget() {
    if (!m_replica)
        return;
    const QString path = m_replica->path();
    m_replica.reset();
    OfflineReplica::forget(path);
    Q_EMIT queueChanged();
}

int OfflineMode::waitingCaptures() const {
    if (!m_replica)
        return 0;
    const QList<PendingChange>& items = m_replica->queue().items();
    return int(std::count_if(items.begin(), items.end(), [](const PendingChange& change) {
        return change.kind == PendingChange::Kind::askText ||
               change.kind == PendingChange::Kind::capture;
    }));
}

QSet<QString> OfflineMode::pendingIds() const {
    return m_replica ? m_replica->queue().pendingTargets() : QSet<QString>();
}

bool OfflineMode::absorbs(const std::exception_ptr& error) {
    if (!m_replica || !error)
        return false;
    bool heldBack = false;
    try {
        std::rethrow_exception(error);
    } catch (const HeldBack&) {
        heldBack = true;
    } catch (...) {
    }
    if (heldBack)
        return true;
    if (!meansUnreachable(error))
        return false;
    m_connection->setUnreachable(m_replica->replica().lastSynced());
    return true;
}

QCoro::Task<void> OfflineMode::sync() {
    if (!m_replica)
        co_return;
    QPointer<OfflineMode> self(this);
    auto running = m_replica->loop().run();
    SyncReport outcome = co_await running;
    if (self && m_renew && outcome.state == SyncReport::State::failed &&
        expiredToken(outcome.error)) {
        try {
            auto renewing = m_renew();
            co_await renewing;
        } catch (...) {
            // A renewal that failed fails the second run the same way.
        }
        if (!self || !m_replica)
            co_return;
        auto again = m_replica->loop().run();
        const SyncReport second = co_await again;
        outcome.answers += second.answers;
        outcome.refused += second.refused;
        outcome.state = second.state;
        outcome.error = second.error;
    }
    if (self && m_replica)
        report(outcome);
}

void OfflineMode::offerUndo(const TaskItem& before, std::optional<qint64> queued, bool deletion) {
    if (!m_replica)
        return;
    const QPointer<OfflineMode> self(this);
    m_undo->offer([self, before, queued, deletion] {
        if (self)
            self->undoChange(before, queued, deletion);
    });
}

void OfflineMode::undoChange(const TaskItem& before, std::optional<qint64> queued, bool deletion) {
    if (!m_replica)
        return;
    try {
        if (!queued || !m_replica->withdraw(*queued, before)) {
            const bool wasDone = before.status == TaskStatus::done;
            deletion ? m_replica->recreate(before) : m_replica->setDone(before, wasDone);
        }
    } catch (const std::exception& failure) {
        qWarning("Could not undo: %s", failure.what());
        return;
    }
    Q_EMIT undone();
    if (!m_connection->offline() && m_replica->queue().size() > 0)
        retry();
}

QCoro::Task<void> OfflineMode::retry() {
    QPointer<OfflineMode> self(this);
    const bool queued = m_replica && m_replica->queue().size() > 0;
    auto syncing = sync();
    co_await syncing;
    if (self && queued)
        Q_EMIT synced();
}

void OfflineMode::report(const SyncReport& report) {
    const std::optional<Instant>& lastSynced = m_replica->replica().lastSynced();
    switch (report.state) {
    case SyncReport::State::synced:
        m_connection->setReachable();
        break;
    case SyncReport::State::offline:
        m_connection->setUnreachable(lastSynced);
        break;
    case SyncReport::State::failed:
        m_connection->setSyncFailed(lastSynced);
        break;
    }
    if (report.answers.size() == 1)
        Q_EMIT answered(report.answers.first());
    else if (report.answers.size() > 1)
        Q_EMIT answered(QStringLiteral("Отправлено из очереди: %1").arg(report.answers.size()));
    if (!report.refused.isEmpty()) {
        QStringList names;
        for (const QString& id : report.refused)
            names << QStringLiteral("«") + nameOf(id) + QStringLiteral("»");
        Q_EMIT refused(QStringLiteral("Сервис не принял изменения: ") + names.join(u", "));
    }
}

QString OfflineMode::nameOf(const QString& id) const {
    if (id.isEmpty())
        return QStringLiteral("запрос ассистенту");
    if (const TaskItem* task = m_replica->store().task(id))
        return task->title;
    if (const Folder* folder = m_replica->store().folder(id))
        return folder->name;
    return id;
}
