#include "OndrelCore/replica/ReplicaFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <stdexcept>

namespace {

// Each step takes the schema from its index to the next version. Steps only add: existing
// rows survive every step.
const QList<QStringList>& migrationSteps() {
    static const QList<QStringList> steps{
        // 0 -> 1: records as JSON by id, and the queue of local changes in the order made.
        {QStringLiteral("CREATE TABLE folders (id TEXT PRIMARY KEY, json BLOB NOT NULL)"),
         QStringLiteral("CREATE TABLE tasks (id TEXT PRIMARY KEY, json BLOB NOT NULL)"),
         QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
         QStringLiteral("CREATE TABLE queue (seq INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "kind TEXT NOT NULL, target TEXT NOT NULL, payload BLOB NOT NULL)")},
        // 1 -> 2: a queued capture's recording as a file beside the database, and a key the
        // service may use to recognise a resent change.
        {QStringLiteral("ALTER TABLE queue ADD COLUMN file TEXT"),
         QStringLiteral("ALTER TABLE queue ADD COLUMN key TEXT NOT NULL DEFAULT ''")},
    };
    return steps;
}

void exec(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        throw std::runtime_error("replica: " + statement.toStdString() + ": " +
                                 query.lastError().text().toStdString());
}

} // namespace

ReplicaFile::ReplicaFile(const QString& path)
    : m_path(path), m_connection(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    static_assert(schemaVersion == 2);
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_database.setDatabaseName(path);
    if (!m_database.open())
        throw std::runtime_error("replica: cannot open " + path.toStdString() + ": " +
                                 m_database.lastError().text().toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QSqlQuery query(m_database);
    exec(query, QStringLiteral("PRAGMA journal_mode=WAL"));
    // Every commit reaches the disk before the caller is told it is queued.
    exec(query, QStringLiteral("PRAGMA synchronous=FULL"));
    migrate();
}

ReplicaFile::~ReplicaFile() {
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

int ReplicaFile::version() const {
    QSqlQuery query(m_database);
    query.exec(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

void ReplicaFile::transaction(const std::function<void()>& change) {
    if (!m_database.transaction())
        throw std::runtime_error("replica: cannot begin: " +
                                 m_database.lastError().text().toStdString());
    try {
        change();
    } catch (...) {
        m_database.rollback();
        throw;
    }
    if (!m_database.commit()) {
        const std::string error = m_database.lastError().text().toStdString();
        m_database.rollback();
        throw std::runtime_error("replica: cannot commit: " + error);
    }
}

void ReplicaFile::migrate() {
    const int found = version();
    if (found > schemaVersion)
        throw std::runtime_error("replica: " + m_path.toStdString() + " has schema " +
                                 std::to_string(found) + ", newer than this build");
    for (int step = found; step < schemaVersion; ++step) {
        transaction([&] {
            QSqlQuery query(m_database);
            for (const QString& statement : migrationSteps()[step])
                exec(query, statement);
            exec(query, QStringLiteral("PRAGMA user_version=%1").arg(step + 1));
        });
    }
}

void ReplicaFile::remove(const QString& path) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}
