#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/replica/AsyncMutex.h"
#include "OndrelCore/replica/LocalStore.h"
#include "OndrelCore/replica/Outbox.h"
#include "OndrelCore/wire/Instant.h"

#include <QCoroTask>
#include <QObject>

#include <memory>
#include <optional>

// Keeps a local store in step with the service: a run flushes the outbox, then pulls what
// changed since the server's clock at the last successful pull. Local edits are not pushed.
class SyncEngine : public QObject {
    Q_OBJECT
public:
    // Without an outbox the engine makes an empty one of its own.
    SyncEngine(APIClient api, LocalStore store, std::shared_ptr<Outbox> outbox,
               QObject* parent = nullptr);

    const LocalStore& store() const { return m_store; }
    // The serverTime of the last successful pull; none until the first.
    const std::optional<Instant>& lastServerTime() const { return m_lastServerTime; }
    const std::shared_ptr<Outbox>& outbox() const { return m_outbox; }
    const APIClient& api() const { return m_api; }

    // Later requests carry this token; none clears it.
    void updateToken(std::optional<QString> accessToken);

    // Merges everything changed since the cursor and moves the cursor to the server's clock.
    // Throws the client's error, leaving store and cursor as they were. Pulls take turns, so
    // each one asks from the cursor its predecessor left.
    QCoro::Task<> pull();
    // Flushes the outbox (its failures stay queued and never fail the run), then pulls.
    QCoro::Task<> sync();

private:
    APIClient m_api;
    LocalStore m_store;
    std::shared_ptr<Outbox> m_outbox;
    std::optional<Instant> m_lastServerTime;
    std::shared_ptr<AsyncMutex> m_pulling = std::make_shared<AsyncMutex>();
};
