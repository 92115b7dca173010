#include "OndrelCore/replica/ChangeQueue.h"

#include "OndrelCore/replica/ReplicaFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <stdexcept>

namespace {

void run(QSqlQuery& query) {
    if (!query.exec())
        throw std::runtime_error("change queue: " + query.lastError().text().toStdString());
}

// Empty values are stored as empty, never as NULL.
QByteArray notNull(const QByteArray& bytes) {
    return bytes.isNull() ? QByteArray("") : bytes;
}

QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QString newKey() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

ChangeQueue::ChangeQueue(ReplicaFile& file, QString recordingDirectory, QObject* parent)
    : QObject(parent), m_file(file), m_recordingDirectory(std::move(recordingDirectory)) {
    load();
}

void ChangeQueue::load() {
    QSqlQuery query(m_file.database());
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT seq, kind, target, payload, file, key FROM queue ORDER BY seq")))
        throw std::runtime_error("change queue: " + query.lastError().text().toStdString());
    while (query.next()) {
        const int kind = query.value(1).toInt();
        if (kind < 0 || kind > int(PendingChange::Kind::createTask))
            continue; // written by a newer build; left in the file for it
        m_items.append(PendingChange{
            .seq = query.value(0).toLongLong(),
            .kind = PendingChange::Kind(kind),
            .target = query.value(2).toString(),
            .payload = query.value(3).toByteArray(),
            .file =
                query.value(4).isNull() ? std::nullopt : std::optional(query.value(4).toString()),
            .key = query.value(5).toString(),
        });
    }
}

QSet<QString> ChangeQueue::pendingTargets() const {
    QSet<QString> targets;
    for (const PendingChange& change : m_items)
        if (!change.target.isEmpty())
            targets.insert(change.target);
    return targets;
}

bool ChangeQueue::contains(qint64 seq) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [seq](const PendingChange& change) { return change.seq == seq; });
}

qint64 ChangeQueue::append(PendingChange change) {
    change.key = newKey();
    m_file.transaction([&] {
        QSqlQuery query(m_file.database());
        query.prepare(QStringLiteral(
            "INSERT INTO queue (kind, target, payload, file, key) VALUES (?, ?, ?, ?, ?)"));
        query.addBindValue(int(change.kind));
        query.addBindValue(notNull(change.target));
        query.addBindValue(notNull(change.payload));
        query.addBindValue(change.file ? QVariant(*change.file)
                                       : QVariant(QMetaType(QMetaType::QString)));
        query.addBindValue(change.key);
        run(query);
        change.seq = query.lastInsertId().toLongLong();
    });
    m_items.append(change);
    Q_EMIT changed();
    return change.seq;
}

qint64 ChangeQueue::appendCapture(const QByteArray& audio, const QString& mimeType) {
    QDir().mkpath(m_recordingDirectory);
    const QString path = QDir(m_recordingDirectory).filePath(newKey() + QStringLiteral(".audio"));
    // QSaveFile syncs before it renames: the row below never names a half-written file.
    QSaveFile recording(path);
    if (!recording.open(QIODevice::WriteOnly) || recording.write(audio) != audio.size() ||
        !recording.commit())
        throw std::runtime_error("change queue: cannot keep the recording in " +
                                 path.toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    try {
        return append(PendingChange{
            .kind = PendingChange::Kind::capture, .payload = mimeType.toUtf8(), .file = path});
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void ChangeQueue::deleteRow(qint64 seq) {
    QSqlQuery query(m_file.database());
    query.prepare(QStringLiteral("DELETE FROM queue WHERE seq = ?"));
    query.addBindValue(seq);
    run(query);
}

bool ChangeQueue::remove(qint64 seq) {
    const auto found =
        std::find_if(m_items.begin(), m_items.end(),
                     [seq](const PendingChange& change) { return change.seq == seq; });
    if (found == m_items.end())
        return false;
    m_file.transaction([&] { deleteRow(seq); });
    if (found->file)
        QFile::remove(*found->file); // after the row: a crash in between leaves only a stray file
    m_items.erase(found);
    Q_EMIT changed();
    return true;
}

void ChangeQueue::acceptCreation(qint64 seq, const QString& localId, const QString& serviceId) {
    QList<PendingChange> renamed = m_items;
    renamed.removeIf([seq](const PendingChange& change) { return change.seq == seq; });
    for (PendingChange& change : renamed) {
        if (change.target == localId)
            change.target = serviceId;
        change.payload.replace(localId.toUtf8(), serviceId.toUtf8());
    }
    m_file.transaction([&] {
        deleteRow(seq);
        QSqlQuery query(m_file.database());
        query.prepare(QStringLiteral("UPDATE queue SET target = ?, payload = ? WHERE seq = ?"));
        for (const PendingChange& change : renamed) {
            query.addBindValue(notNull(change.target));
            query.addBindValue(notNull(change.payload));
            query.addBindValue(change.seq);
            run(query);
        }
    });
    m_items = std::move(renamed);
    Q_EMIT changed();
}
