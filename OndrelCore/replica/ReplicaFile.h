#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

// The one SQLite file that holds a user's replica and change queue. Opened in WAL mode,
// readable by its owner only, its schema brought up to date step by step: a file is migrated,
// never dropped, and a file written by a newer build is refused rather than touched.
class ReplicaFile {
public:
    // The schema version this build writes.
    static constexpr int schemaVersion = 2;

    // Opens (creating it if need be) and migrates; throws std::runtime_error when the file
    // cannot be opened, is of a newer schema, or a migration step fails (that step is rolled
    // back, the file keeps its previous version).
    explicit ReplicaFile(const QString& path);
    ~ReplicaFile();
    ReplicaFile(const ReplicaFile&) = delete;
    ReplicaFile& operator=(const ReplicaFile&) = delete;

    QSqlDatabase& database() { return m_database; }
    const QString& path() const { return m_path; }
    int version() const;

    // Runs `change` in one transaction: committed when it returns, rolled back when it throws.
    void transaction(const std::function<void()>& change);

    // Removes the file and its WAL companions; for signing out. The file must not be open.
    static void remove(const QString& path);

private:
    void migrate();

    QString m_path;
    QString m_connection;
    QSqlDatabase m_database;
};
