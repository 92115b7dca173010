#include "OndrelCore/replica/Outbox.h"

#include <QPointer>
#include <QScopeGuard>

Outbox::Outbox(QList<PendingCapture> pending, QObject* parent)
    : QObject(parent), m_pending(std::move(pending)) {}

void Outbox::enqueue(PendingCapture capture) {
    m_pending.append(std::move(capture));
    Q_EMIT pendingChanged();
}

QCoro::Task<QList<Outbox::Outcome>> Outbox::flush(APIClient api) {
    QPointer<Outbox> self(this);
    const std::shared_ptr<AsyncMutex> flushing = m_flushing;
    co_await flushing->lock();
    const auto unlock = qScopeGuard([flushing] { flushing->unlock(); });

    QList<Outcome> outcomes;
    if (!self)
        co_return outcomes;
    // Only this flush removes captures and enqueue only appends, so the snapshot is the first
    // `count` entries throughout and `position` keeps pointing at the one being sent. Each
    // capture leaves the queue the moment it is accepted, never before.
    const qsizetype count = m_pending.size();
    qsizetype position = 0;
    for (qsizetype sent = 0; sent < count; ++sent) {
        const PendingCapture capture = m_pending.at(position);
        try {
            outcomes.append(co_await api.createCapture(capture.audioBase64, capture.mimeType,
                                                       capture.durationMs));
            if (!self)
                co_return outcomes;
            m_pending.removeAt(position);
            Q_EMIT pendingChanged();
        } catch (...) {
            outcomes.append(std::current_exception());
            if (!self)
                co_return outcomes;
            ++position;
        }
    }
    co_return outcomes;
}
