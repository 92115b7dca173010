#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/replica/AsyncMutex.h"
#include "OndrelCore/replica/PendingCapture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"

#include <QCoroTask>
#include <QList>
#include <QObject>

#include <exception>
#include <memory>
#include <variant>

// Captures recorded but not yet accepted by the service, sent later by flush. Kept in memory
// only. Shared by its owner and the sync engine.
class Outbox : public QObject {
    Q_OBJECT
public:
    // The service's answer for one capture, or the error that kept it queued.
    using Outcome = std::variant<CaptureProcessResponse, std::exception_ptr>;

    explicit Outbox(QList<PendingCapture> pending = {}, QObject* parent = nullptr);

    // In the order enqueued; a capture stays here until the service has accepted it.
    const QList<PendingCapture>& pending() const { return m_pending; }

    // Appends, even while a flush is running (the capture then waits for the next flush).
    // A repeated id is queued again.
    void enqueue(PendingCapture capture);

    // Sends the captures pending at the start, one request at a time, and keeps those that
    // failed, in order, ahead of any enqueued meanwhile. Never throws: one outcome per capture
    // sent, in order. A flush called while another runs waits for it, then sends what is
    // still pending, so no capture is ever in two requests at once.
    QCoro::Task<QList<Outcome>> flush(APIClient api);

Q_SIGNALS:
    void pendingChanged();

private:
    QList<PendingCapture> m_pending;
    std::shared_ptr<AsyncMutex> m_flushing = std::make_shared<AsyncMutex>();
};
