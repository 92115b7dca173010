#pragma once

#include "OndrelUI/offline/ConnectionState.h"
#include "OndrelUI/offline/OfflineReplica.h"
#include "OndrelUI/offline/UndoOffer.h"

#include <QCoroTask>
#include <QObject>
#include <QSet>
#include <QtQml/qqmlregistration.h>

#include <exception>
#include <functional>
#include <memory>

// What the main screen does without the service: with a replica open, a request that could not
// reach the service is applied to the replica and queued instead of failing, the lists stay,
// and a sync run later sends the queue and pulls. Without a replica every call says "not
// absorbed" and the screen behaves as it always did.
class OfflineMode : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the main screen's view model")

    Q_PROPERTY(ConnectionState* connection READ connection CONSTANT)
    Q_PROPERTY(UndoOffer* undo READ undo CONSTANT)
    // Captures and typed lines waiting to be sent.
    Q_PROPERTY(int waitingCaptures READ waitingCaptures NOTIFY queueChanged)

public:
    // A change not sent because earlier ones wait: it goes to the queue behind them.
    struct HeldBack : std::exception {
        const char* what() const noexcept override { return "held back behind queued changes"; }
    };

    explicit OfflineMode(QObject* parent = nullptr);
    ~OfflineMode() override;

    using Renewal = std::function<QCoro::Task<void>()>;

    // Opens the replica file; without it (it cannot be opened) nothing is absorbed. A sync
    // refused for an expired token renews it through `renew` and runs once more.
    void open(const QString& path, SyncLoop::ClientSource client, Renewal renew = {});
    // Signing out: closes the replica and removes its file, its queue and its recordings.
    void forget();
    OfflineReplica* replica() const { return m_replica.get(); }
    ConnectionState* connection() const { return m_connection; }
    UndoOffer* undo() const { return m_undo; }
    int waitingCaptures() const;
    // Tasks and folders with a change the service has not accepted yet.
    QSet<QString> pendingIds() const;

    // Whether a change must wait behind the queue: the service is unreachable or the queue
    // still holds changes made before it.
    bool holdsBack() const {
        return m_replica && (m_connection->offline() || m_replica->queue().size() > 0);
    }
    // Whether `error` means the service could not be reached and a replica takes the change
    // instead; says so in the connection line.
    bool absorbs(const std::exception_ptr& error);

    // "Отменить" for a change just made to `before` (a deletion or a completion or reopening):
    // withdrawn while it is still `queued`, otherwise undone by the opposite change sent behind
    // whatever waits.
    void offerUndo(const TaskItem& before, std::optional<qint64> queued, bool deletion);

    // Sends the queue and pulls; says how it went in the connection line and through the
    // signals. Nothing without a replica.
    QCoro::Task<void> sync();
    // Applies a change to the replica and queues it when `error` is absorbed; false (nothing
    // queued) otherwise, or when the replica could not take it.
    template <class Change, class... Args>
    std::optional<qint64> queueOn(const std::exception_ptr& error, Change change,
                                  const Args&... args) {
        if (!absorbs(error))
            return std::nullopt;
        try {
            const qint64 seq = std::invoke(change, *m_replica, args...);
            if (!m_connection->offline())
                retry(); // queued behind changes that are being sent: it follows them
            return seq;
        } catch (const std::exception& failure) {
            qWarning("Could not queue a change: %s", failure.what());
            return std::nullopt;
        }
    }

Q_SIGNALS:
    void queueChanged();
    // The answers to queued captures and lines: the one answer, or a summary of several.
    void answered(std::optional<QString> answer);
    // One line naming what the service refused.
    void refused(QString line);
    // A retry sent what was queued: the lists are to be read again.
    void synced();
    // An undo changed the replica: the lists are to be read from it.
    void undone();

private:
    QCoro::Task<void> retry();
    void undoChange(const TaskItem& before, std::optional<qint64> queued, bool deletion);
    void report(const SyncReport& report);
    QString nameOf(const QString& id) const;

    ConnectionState* m_connection;
    UndoOffer* m_undo;
    std::unique_ptr<OfflineReplica> m_replica;
    Renewal m_renew;
};
