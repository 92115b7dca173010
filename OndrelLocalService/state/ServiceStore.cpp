#include "OndrelLocalService/state/ServiceStore.h"

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/json/RecordDescriptions.h"
#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/state/StateFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <stdexcept>

namespace {

qint64 micros(Instant instant) {
    return instant.time.time_since_epoch().count();
}

Instant fromMicros(qint64 value) {
    return Instant{std::chrono::sys_time<Instant::Duration>(Instant::Duration(value))};
}

QVariant optionalText(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant();
}

template <class Record>
QByteArray encoded(const Record& record) {
    return ODJSON::encoder().encode(record);
}

template <class Record>
QList<Record> decoded(const QList<QVariant>& rows) {
    QList<Record> records;
    records.reserve(rows.size());
    for (const QVariant& row : rows)
        records.append(ODJSON::decoder().decode<Record>(row.toByteArray()));
    return records;
}

template <class Record>
std::optional<Record> decoded(const std::optional<QVariant>& row) {
    if (!row)
        return std::nullopt;
    return ODJSON::decoder().decode<Record>(row->toByteArray());
}

QByteArray tokenHash(const QString& token) {
    return QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256);
}

// NAME.json beside NAME.sqlite (or beside NAME, without a suffix).
QString legacyFileBeside(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".json"));
}

} // namespace

ServiceStore::ServiceStore(std::optional<QString> databaseFile, Clock clock)
    : m_clock(std::move(clock)) {
    std::optional<ServiceState> legacy;
    if (databaseFile && !QFileInfo::exists(*databaseFile)) {
        const QString legacyFile = legacyFileBeside(*databaseFile);
        if (legacyFile != *databaseFile)
            legacy = StateFile(legacyFile).load(); // read fully before anything is created
    }
    m_database = std::make_unique<StateDatabase>(databaseFile);
    if (const std::optional<QVariant> stamp =
            m_database->value("SELECT value FROM meta WHERE key = 'lastStamp'"))
        m_lastStamp = m_committedStamp = fromMicros(stamp->toLongLong());
    if (legacy && m_database->isNew()) {
        try {
            change([&] { import(*legacy); });
        } catch (const std::exception& error) {
            m_database->discard(); // the next start tries again
            throw std::runtime_error(
                QStringLiteral("cannot import the data file %1: %2")
                    .arg(legacyFileBeside(*databaseFile), QString::fromUtf8(error.what()))
                    .toStdString());
        }
    }
}

ServiceStore::~ServiceStore() = default;

void ServiceStore::begin() {
    m_database->begin();
    ++m_depth;
}

void ServiceStore::commit() {
    try {
        if (m_lastStamp != m_committedStamp)
            m_database->execute("INSERT INTO meta (key, value) VALUES ('lastStamp', ?) "
                                "ON CONFLICT (key) DO UPDATE SET value = excluded.value",
                                {micros(m_lastStamp)});
        m_database->commit();
    } catch (const std::runtime_error& error) {
        throw ServiceError(
            500,
            QStringLiteral("Не удалось сохранить данные: %1").arg(QString::fromUtf8(error.what())));
    }
    m_committedStamp = m_lastStamp;
    m_depth = 0;
}

void ServiceStore::rollback() {
    m_database->rollback();
    m_lastStamp = m_committedStamp;
    m_depth = 0;
}

void ServiceStore::requireChange() const {
    if (m_depth == 0)
        throw std::logic_error("a store write outside ServiceStore::change");
}

Instant ServiceStore::now() const {
    return Instant::fromMSecsSinceEpoch(m_clock().toMSecsSinceEpoch());
}

Instant ServiceStore::stamp() {
    const Instant next = Instant::fromMSecsSinceEpoch(m_lastStamp.toMSecsSinceEpoch() + 1);
    m_lastStamp = std::max(now(), next);
    return m_lastStamp;
}

Instant ServiceStore::serverTime() {
    m_lastStamp = std::max(now(), m_lastStamp);
    return m_lastStamp;
}

std::optional<User> ServiceStore::user(const QString& id) const {
    return decoded<User>(m_database->value("SELECT record FROM users WHERE id = ?", {id}));
}

void ServiceStore::put(const User& user) {
    requireChange();
    m_database->execute("INSERT INTO users (id, record) VALUES (?, ?) "
                        "ON CONFLICT (id) DO UPDATE SET record = excluded.record",
                        {user.id, encoded(user)});
}

std::optional<Folder> ServiceStore::folder(const QString& userId, const QString& id) const {
    return decoded<Folder>(
        m_database->value("SELECT record FROM folders WHERE id = ? AND user_id = ?", {id, userId}));
}

QList<Folder> ServiceStore::folders(const QString& userId,
                                    const std::optional<Instant>& changedAfter) const {
    return decoded<Folder>(m_database->column(
        "SELECT record FROM folders WHERE user_id = ? AND changed_at > ? "
        "ORDER BY changed_at, rowid",
        {userId, changedAfter ? micros(*changedAfter) : std::numeric_limits<qint64>::min()}));
}

std::optional<Folder> ServiceStore::folderNamed(const QString& userId, const QString& name) const {
    return decoded<Folder>(m_database->value(
        "SELECT record FROM folders WHERE user_id = ? AND name_key = ? AND deleted = 0 "
        "ORDER BY rowid LIMIT 1",
        {userId, name.trimmed().toCaseFolded()}));
}

std::optional<Folder> ServiceStore::inbox(const QString& userId) const {
    return decoded<Folder>(
        m_database->value("SELECT record FROM folders WHERE user_id = ? AND system = 1 AND "
                          "deleted = 0 ORDER BY rowid LIMIT 1",
                          {userId}));
}

qint64 ServiceStore::nextSortOrder(const QString& userId) const {
    return m_database
        ->value("SELECT COALESCE(MAX(sort_order) + 1, 0) FROM folders WHERE user_id = ?", {userId})
        ->toLongLong();
}

void ServiceStore::put(const Folder& folder) {
    requireChange();
    m_database->execute(
        "INSERT INTO folders (id, user_id, name_key, sort_order, system, deleted, changed_at, "
        "record) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET "
        "user_id = excluded.user_id, name_key = excluded.name_key, "
        "sort_order = excluded.sort_order, system = excluded.system, deleted = excluded.deleted, "
        "changed_at = excluded.changed_at, record = excluded.record",
        {folder.id, folder.userId, folder.name.trimmed().toCaseFolded(), folder.sortOrder,
         folder.isSystem, folder.deleted, micros(folder.serverUpdatedAt), encoded(folder)});
}

std::optional<TaskItem> ServiceStore::task(const QString& userId, const QString& id) const {
    return decoded<TaskItem>(
        m_database->value("SELECT record FROM tasks WHERE id = ? AND user_id = ?", {id, userId}));
}

bool ServiceStore::taskExists(const QString& id) const {
    return m_database->value("SELECT 1 FROM tasks WHERE id = ?", {id}).has_value();
}

QList<TaskItem> ServiceStore::tasks(const QString& userId,
                                    const std::optional<Instant>& changedAfter) const {
    return decoded<TaskItem>(m_database->column(
        "SELECT record FROM tasks WHERE user_id = ? AND changed_at > ? "
        "ORDER BY changed_at, rowid",
        {userId, changedAfter ? micros(*changedAfter) : std::numeric_limits<qint64>::min()}));
}

QList<TaskItem> ServiceStore::liveTasks(const QString& userId,
                                        const std::optional<QString>& folderId,
                                        const std::optional<TaskStatus>& status) const {
    const QVariant wanted = status ? QVariant(rawValue(*status)) : QVariant();
    if (folderId)
        return decoded<TaskItem>(m_database->column(
            "SELECT record FROM tasks WHERE folder_id = ? AND user_id = ? AND deleted = 0 "
            "AND (? IS NULL OR status = ?) ORDER BY created_at, rowid",
            {*folderId, userId, wanted, wanted}));
    return decoded<TaskItem>(
        m_database->column("SELECT record FROM tasks WHERE user_id = ? AND deleted = 0 "
                           "AND (? IS NULL OR status = ?) ORDER BY created_at, rowid",
                           {userId, wanted, wanted}));
}

void ServiceStore::put(const TaskItem& task) {
    requireChange();
    m_database->execute(
        "INSERT INTO tasks (id, user_id, folder_id, status, deleted, created_at, changed_at, "
        "record) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET "
        "user_id = excluded.user_id, folder_id = excluded.folder_id, status = excluded.status, "
        "deleted = excluded.deleted, created_at = excluded.created_at, "
        "changed_at = excluded.changed_at, record = excluded.record",
        {task.id, task.userId, optionalText(task.folderId), rawValue(task.status), task.deleted,
         micros(task.createdAt), micros(task.serverUpdatedAt), encoded(task)});
}

std::optional<Capture> ServiceStore::capture(const QString& userId, const QString& id) const {
    return decoded<Capture>(m_database->value(
        "SELECT record FROM captures WHERE id = ? AND user_id = ?", {id, userId}));
}

QList<Capture> ServiceStore::captures(const QString& userId) const {
    return decoded<Capture>(m_database->column(
        "SELECT record FROM captures WHERE user_id = ? ORDER BY rowid DESC", {userId}));
}

void ServiceStore::put(const Capture& capture) {
    requireChange();
    m_database->execute("INSERT INTO captures (id, user_id, record) VALUES (?, ?, ?) "
                        "ON CONFLICT (id) DO UPDATE SET user_id = excluded.user_id, "
                        "record = excluded.record",
                        {capture.id, capture.userId, encoded(capture)});
}

std::optional<ProcessingRun> ServiceStore::run(const QString& id) const {
    return decoded<ProcessingRun>(m_database->value("SELECT record FROM runs WHERE id = ?", {id}));
}

QList<ProcessingRun> ServiceStore::runsOf(const QString& captureId) const {
    return decoded<ProcessingRun>(m_database->column(
        "SELECT record FROM runs WHERE capture_id = ? ORDER BY rowid", {captureId}));
}

void ServiceStore::put(const ProcessingRun& run) {
    requireChange();
    m_database->execute("INSERT INTO runs (id, capture_id, record) VALUES (?, ?, ?) "
                        "ON CONFLICT (id) DO UPDATE SET capture_id = excluded.capture_id, "
                        "record = excluded.record",
                        {run.id, run.captureId, encoded(run)});
}

void ServiceStore::grant(TokenKind kind, const QString& token, const QString& userId,
                         Instant expiresAt) {
    requireChange();
    m_database->execute(
        "INSERT OR REPLACE INTO tokens (hash, kind, user_id, expires_at) VALUES (?, ?, ?, ?)",
        {tokenHash(token), int(kind), userId, micros(expiresAt)});
}

std::optional<QString> ServiceStore::tokenOwner(TokenKind kind, const QString& token,
                                                Instant now) const {
    const std::optional<QVariant> owner = m_database->value(
        "SELECT user_id FROM tokens WHERE hash = ? AND kind = ? AND expires_at > ?",
        {tokenHash(token), int(kind), micros(now)});
    return owner ? std::optional(owner->toString()) : std::nullopt;
}

void ServiceStore::revoke(TokenKind kind, const QString& token) {
    requireChange();
    m_database->execute("DELETE FROM tokens WHERE hash = ? AND kind = ?",
                        {tokenHash(token), int(kind)});
}

void ServiceStore::pruneTokens(const QString& userId, Instant now, qsizetype kept) {
    requireChange();
    m_database->execute("DELETE FROM tokens WHERE expires_at <= ?", {micros(now)});
    for (const TokenKind kind : {TokenKind::access, TokenKind::refresh})
        m_database->execute(
            "DELETE FROM tokens WHERE user_id = ? AND kind = ? AND rowid NOT IN (SELECT rowid "
            "FROM tokens WHERE user_id = ? AND kind = ? ORDER BY rowid DESC LIMIT ?)",
            {userId, int(kind), userId, int(kind), kept});
}

void ServiceStore::import(const ServiceState& state) {
    for (const User& user : state.users)
        put(user);
    for (const Folder& folder : state.folders)
        put(folder);
    for (const TaskItem& task : state.tasks)
        put(task);
    for (const Capture& capture : state.captures)
        put(capture);
    for (const ProcessingRun& run : state.runs)
        put(run);
    for (const TokenGrant& grant : state.accessTokens)
        this->grant(TokenKind::access, grant.token, grant.userId, grant.expiresAt);
    for (const TokenGrant& grant : state.refreshTokens)
        this->grant(TokenKind::refresh, grant.token, grant.userId, grant.expiresAt);
    m_lastStamp = std::max(m_lastStamp, state.lastStamp);
}

std::optional<QByteArray> ServiceStore::keptAnswer(const QString& userId,
                                                   const QString& key) const {
    const std::optional<QVariant> answer = m_database->value(
        "SELECT answer FROM answers WHERE user_id = ? AND key = ?", {userId, key});
    return answer ? std::optional(answer->toByteArray()) : std::nullopt;
}

void ServiceStore::keepAnswer(const QString& userId, const QString& key, const QByteArray& answer,
                              Instant since) {
    requireChange();
    m_database->execute("DELETE FROM answers WHERE kept_at < ?", {micros(since)});
    m_database->execute(
        "INSERT OR REPLACE INTO answers (user_id, key, kept_at, answer) VALUES (?, ?, ?, ?)",
        {userId, key, micros(now()), answer});
}
