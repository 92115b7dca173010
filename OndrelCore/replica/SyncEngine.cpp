#include "OndrelCore/replica/SyncEngine.h"

#include <QPointer>
#include <QScopeGuard>

SyncEngine::SyncEngine(APIClient api, LocalStore store, std::shared_ptr<Outbox> outbox,
                       QObject* parent)
    : QObject(parent), m_api(std::move(api)), m_store(std::move(store)),
      m_outbox(outbox ? std::move(outbox) : std::make_shared<Outbox>()) {}

void SyncEngine::updateToken(std::optional<QString> accessToken) {
    m_api = APIClient(m_api.baseURL(), m_api.transport(), std::move(accessToken));
}

QCoro::Task<> SyncEngine::pull() {
    QPointer<SyncEngine> self(this);
    const std::shared_ptr<AsyncMutex> pulling = m_pulling;
    co_await pulling->lock();
    const auto unlock = qScopeGuard([pulling] { pulling->unlock(); });
    if (!self)
        co_return;

    const APIClient api = m_api;
    // Decoded in full before anything is merged: a failure leaves store and cursor alone.
    const SyncPullResponse response = co_await api.syncPull(m_lastServerTime);
    if (!self)
        co_return;
    m_store.applyPull(response);
    m_lastServerTime = response.serverTime;
}

QCoro::Task<> SyncEngine::sync() {
    QPointer<SyncEngine> self(this);
    // The outbox outlives this engine if it must; its outcomes are not the run's business.
    const std::shared_ptr<Outbox> outbox = m_outbox;
    co_await outbox->flush(m_api);
    if (!self)
        co_return;
    co_await pull();
}
