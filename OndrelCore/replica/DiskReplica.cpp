#include "OndrelCore/replica/DiskReplica.h"

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/replica/ReplicaFile.h"

#include <QSqlError>
#include <QSqlQuery>

#include <stdexcept>

namespace {

void run(QSqlQuery& query) {
    if (!query.exec())
        throw std::runtime_error("replica: " + query.lastError().text().toStdString());
}

// An update keeps the row's place, so a reload lists records in the order first seen, as the
// store does.
template <class Record>
void write(QSqlDatabase& database, const QString& table, const Record& record) {
    QSqlQuery query(database);
    query.prepare(QStringLiteral("INSERT INTO %1 (id, json) VALUES (?, ?) "
                                 "ON CONFLICT(id) DO UPDATE SET json = excluded.json")
                      .arg(table));
    query.addBindValue(record.id);
    query.addBindValue(ODJSON::encoder().encode(record));
    run(query);
}

template <class Record>
QList<Record> readAll(QSqlDatabase& database, const QString& table) {
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT json FROM %1 ORDER BY rowid").arg(table)))
        throw std::runtime_error("replica: " + query.lastError().text().toStdString());
    QList<Record> records;
    while (query.next())
        records.append(ODJSON::decoder().decode<Record>(query.value(0).toByteArray()));
    return records;
}

std::optional<Instant> readInstant(QSqlDatabase& database, const QString& key) {
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"));
    query.addBindValue(key);
    run(query);
    return query.next() ? Instant::fromISO8601(query.value(0).toString().toStdString())
                        : std::nullopt;
}

void writeInstant(QSqlDatabase& database, const QString& key, Instant value) {
    QSqlQuery query(database);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES (?, ?)"));
    query.addBindValue(key);
    query.addBindValue(value.toString());
    run(query);
}

const QString cursorKey = QStringLiteral("cursor");
const QString syncedKey = QStringLiteral("lastSynced");

} // namespace

DiskReplica::DiskReplica(ReplicaFile& file) : m_file(file) {
    load();
}

void DiskReplica::load() {
    QSqlDatabase& database = m_file.database();
    m_store = LocalStore(readAll<Folder>(database, QStringLiteral("folders")),
                         readAll<TaskItem>(database, QStringLiteral("tasks")));
    m_cursor = readInstant(database, cursorKey);
    m_lastSynced = readInstant(database, syncedKey);
}

void DiskReplica::applyPull(const SyncPullResponse& pull, Instant syncedAt) {
    m_file.transaction([&] {
        for (const Folder& folder : pull.folders)
            write(m_file.database(), QStringLiteral("folders"), folder);
        for (const TaskItem& task : pull.tasks)
            write(m_file.database(), QStringLiteral("tasks"), task);
        writeInstant(m_file.database(), cursorKey, pull.serverTime);
        writeInstant(m_file.database(), syncedKey, syncedAt);
    });
    m_store.applyPull(pull);
    m_cursor = pull.serverTime;
    m_lastSynced = syncedAt;
}

void DiskReplica::upsert(const Folder& folder) {
    m_file.transaction([&] { write(m_file.database(), QStringLiteral("folders"), folder); });
    m_store.upsert(folder);
}

void DiskReplica::upsert(const TaskItem& task) {
    m_file.transaction([&] { write(m_file.database(), QStringLiteral("tasks"), task); });
    m_store.upsert(task);
}
