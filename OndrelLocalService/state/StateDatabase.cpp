#include "OndrelLocalService/state/StateDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

// Marks the file as this service's database, so that another SQLite file is not taken for one.
constexpr qint64 applicationId = 0x4F4E4452; // "ONDR"
constexpr qint64 schemaVersion = 2;
constexpr char sqliteHeader[] = "SQLite format 3"; // and its terminating zero: 16 bytes
constexpr int sqliteBusy = 5; // SQLITE_BUSY, the low byte of every extended busy code

// Records are kept whole as their wire JSON in `record`; the other columns are what the store
// looks them up and orders them by. Times are microseconds since the epoch, as `Instant` keeps
// them, so that comparisons with a client's cursor are exact.
constexpr const char* schema[] = {
    "CREATE TABLE meta (key TEXT PRIMARY KEY, value)",
    "CREATE TABLE users (id TEXT PRIMARY KEY, record BLOB NOT NULL)",
    "CREATE TABLE folders (id TEXT PRIMARY KEY, user_id TEXT NOT NULL, name_key TEXT NOT NULL, "
    "sort_order INTEGER NOT NULL, system INTEGER NOT NULL, deleted INTEGER NOT NULL, "
    "changed_at INTEGER NOT NULL, record BLOB NOT NULL)",
    "CREATE INDEX folders_by_user ON folders (user_id, changed_at)",
    "CREATE TABLE tasks (id TEXT PRIMARY KEY, user_id TEXT NOT NULL, folder_id TEXT, "
    "status TEXT NOT NULL, deleted INTEGER NOT NULL, created_at INTEGER NOT NULL, "
    "changed_at INTEGER NOT NULL, record BLOB NOT NULL)",
    "CREATE INDEX tasks_by_change ON tasks (user_id, changed_at)",
    "CREATE INDEX tasks_by_creation ON tasks (user_id, created_at)",
    "CREATE INDEX tasks_by_folder ON tasks (folder_id)",
    "CREATE TABLE captures (id TEXT PRIMARY KEY, user_id TEXT NOT NULL, record BLOB NOT NULL)",
    "CREATE INDEX captures_by_user ON captures (user_id)",
    "CREATE TABLE runs (id TEXT PRIMARY KEY, capture_id TEXT NOT NULL, record BLOB NOT NULL)",
    "CREATE INDEX runs_by_capture ON runs (capture_id)",
    ("CREATE TABLE tokens (hash BLOB PRIMARY KEY, kind INTEGER NOT NULL, user_id TEXT NOT NULL, "
     "expires_at INTEGER NOT NULL)"),
    "CREATE INDEX tokens_by_expiry ON tokens (expires_at)",
    "CREATE INDEX tokens_by_user ON tokens (user_id, kind)",
};

// What each later schema version adds, in order: migrations[i] takes version i + 1 to i + 2.
// A new database gets the first schema and every step.
const std::vector<std::vector<const char*>> migrations = {
    // 2: the answers kept for POSTs that carry an idempotency key.
    {"CREATE TABLE answers (user_id TEXT NOT NULL, key TEXT NOT NULL, kept_at INTEGER NOT NULL, "
     "answer BLOB NOT NULL, PRIMARY KEY (user_id, key))",
     "CREATE INDEX answers_by_age ON answers (kept_at)"},
};

std::runtime_error failure(const QString& text) {
    return std::runtime_error(text.toStdString());
}

std::runtime_error failure(const QSqlError& error) {
    if ((error.nativeErrorCode().toInt() & 0xff) == sqliteBusy)
        return failure(QStringLiteral("it is in use by another process"));
    return failure(error.text());
}

// Creates a missing file owner-only from the start (SQLite gives its WAL file the same mode);
// restricts an existing one, after making sure it is a SQLite file at all. True when created.
bool prepareFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        throw failure(QStringLiteral("cannot create the folder of the data file %1").arg(path));
    if (!info.exists()) {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            throw failure(QStringLiteral("cannot create the data file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        ::close(fd);
        return true;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw failure(
            QStringLiteral("cannot read the data file %1: %2")
                .arg(path, info.isDir() ? QStringLiteral("it is a folder") : file.errorString()));
    const QByteArray head = file.read(sizeof sqliteHeader);
    if (!head.isEmpty() && head != QByteArray(sqliteHeader, sizeof sqliteHeader)) {
        const QString hint =
            head.trimmed().startsWith('{')
                ? QStringLiteral(" (a JSON data file of an earlier version is imported from "
                                 "NAME.json when a new NAME.sqlite is created beside it)")
                : QString();
        throw failure(QStringLiteral("the data file %1 is not a database of "
                                     "ondrel-local-service%2; it was left untouched")
                          .arg(path, hint));
    }
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner))
        throw failure(
            QStringLiteral("cannot make the data file %1 readable by its owner only").arg(path));
    return false;
}

} // namespace

StateDatabase::StateDatabase(const std::optional<QString>& file)
    : m_connection(QStringLiteral("ondrel-state-") + QUuid::createUuid().toString()),
      m_file(file.value_or(QString())) {
    const bool created = file && prepareFile(*file);
    try {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!database.isValid())
            throw failure(QStringLiteral("the SQLite driver of Qt SQL (QSQLITE) is missing"));
        database.setDatabaseName(file ? *file : QStringLiteral(":memory:"));
        // A second service on the same file must fail at once, not wait.
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        if (!database.open())
            throw failure(database.lastError());
        configure(!file);
        createOrCheckSchema();
    } catch (const std::runtime_error& error) {
        const QString reason = QString::fromUtf8(error.what());
        m_new = created;
        discard();
        if (!file)
            throw;
        throw failure(QStringLiteral("cannot open the data file %1: %2").arg(*file, reason));
    }
}

StateDatabase::~StateDatabase() {
    close();
}

void StateDatabase::close() {
    if (m_connection.isEmpty())
        return;
    m_statements.clear();
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

void StateDatabase::discard() {
    close();
    if (!m_new || m_file.isEmpty())
        return;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(m_file + QLatin1String(suffix));
}

void StateDatabase::configure(bool inMemory) {
    if (inMemory)
        return;
    // Held for as long as the service runs: no other process can open the file meanwhile, and
    // WAL needs no shared-memory file.
    execute("PRAGMA locking_mode = EXCLUSIVE");
    const std::optional<QVariant> mode = value("PRAGMA journal_mode = WAL");
    if (!mode || mode->toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        throw failure(QStringLiteral("SQLite refused the WAL journal"));
    // A commit survives the process being killed; the WAL is synced at every checkpoint, so a
    // power cut may lose the last moments of work but never corrupts the file.
    execute("PRAGMA synchronous = NORMAL");
}

void StateDatabase::createOrCheckSchema() {
    begin();
    try {
        const qint64 version = value("PRAGMA user_version")->toLongLong();
        const qint64 owner = value("PRAGMA application_id")->toLongLong();
        if (version == 0 && owner == 0) {
            for (const char* statement : schema)
                execute(statement);
            // PRAGMA takes no bound values.
            executeOnce(QStringLiteral("PRAGMA application_id = %1").arg(applicationId));
        } else if (owner != applicationId) {
            throw failure(QStringLiteral("it is a SQLite database of another program"));
        } else if (version > schemaVersion) {
            throw failure(
                QStringLiteral("it was made by a newer version (schema %1)").arg(version));
        } else {
            m_new = false;
        }
        for (qint64 step = std::max<qint64>(version, 1); step < schemaVersion; ++step)
            for (const char* statement : migrations[std::size_t(step - 1)])
                execute(statement);
        executeOnce(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion));
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

QSqlQuery& StateDatabase::run(const char* sql, const QVariantList& values) {
    const QByteArray key(sql);
    auto found = m_statements.find(key);
    if (found == m_statements.end()) {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        if (!query.prepare(QString::fromLatin1(sql)))
            throw failure(query.lastError());
        found = m_statements.insert(key, std::move(query));
    }
    QSqlQuery& query = *found;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        throw failure(error);
    }
    return query;
}

void StateDatabase::executeOnce(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql))
        throw failure(query.lastError());
}

void StateDatabase::execute(const char* sql, const QVariantList& values) {
    run(sql, values).finish();
}

QList<QVariant> StateDatabase::column(const char* sql, const QVariantList& values) {
    QSqlQuery& query = run(sql, values);
    QList<QVariant> result;
    while (query.next())
        result.append(query.value(0));
    query.finish();
    return result;
}

std::optional<QVariant> StateDatabase::value(const char* sql, const QVariantList& values) {
    QSqlQuery& query = run(sql, values);
    std::optional<QVariant> result;
    if (query.next())
        result = query.value(0);
    query.finish();
    return result;
}

void StateDatabase::begin() {
    execute("BEGIN IMMEDIATE");
}

void StateDatabase::commit() {
    execute("COMMIT");
}

void StateDatabase::rollback() {
    // SQLite may already have rolled back after a failed statement or commit.
    try {
        executeOnce(QStringLiteral("ROLLBACK"));
    } catch (const std::runtime_error&) {
    }
}
