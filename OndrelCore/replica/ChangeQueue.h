#pragma once

#include "OndrelCore/replica/PendingChange.h"

#include <QList>
#include <QObject>
#include <QSet>

class ReplicaFile;

// Local changes waiting for the service, on disk before any caller hears they are queued.
// Sent oldest first by the sync loop; each leaves the queue in the transaction that records
// its acceptance or refusal.
class ChangeQueue : public QObject {
    Q_OBJECT
public:
    // `file` must outlive the queue; recordings are kept in `recordingDirectory`.
    ChangeQueue(ReplicaFile& file, QString recordingDirectory, QObject* parent = nullptr);

    const QList<PendingChange>& items() const { return m_items; }
    qsizetype size() const { return m_items.size(); }
    // Tasks and folders with a change not yet accepted.
    QSet<QString> pendingTargets() const;
    bool contains(qint64 seq) const;

    // Records the change (its seq and key are assigned here) and returns its seq.
    qint64 append(PendingChange change);
    // Writes the recording to its own file first, then queues it.
    qint64 appendCapture(const QByteArray& audio, const QString& mimeType);
    // Drops a change (and its recording): accepted, refused, or withdrawn by undo. Returns
    // whether it was still queued.
    bool remove(qint64 seq);
    // A folder or task made here got its id from the service: later changes name that id instead,
    // in the transaction that drops the creation.
    void acceptCreation(qint64 seq, const QString& localId, const QString& serviceId);

Q_SIGNALS:
    void changed();

private:
    void load();
    void deleteRow(qint64 seq);

    ReplicaFile& m_file;
    QString m_recordingDirectory;
    QList<PendingChange> m_items;
};
