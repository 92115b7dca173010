#pragma once

#include <QByteArray>
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>

// The SQLite database behind the store, through Qt SQL. With a file: created readable by its
// owner only, in WAL mode, locked against a second process for as long as it is open. Without
// one: in memory. Statements are prepared once and kept.
class StateDatabase {
public:
    // Throws std::runtime_error naming the file when it cannot be opened, is not a database of
    // this service, or is in use by another process; an existing file is then left untouched.
    explicit StateDatabase(const std::optional<QString>& file);
    ~StateDatabase();
    StateDatabase(const StateDatabase&) = delete;
    StateDatabase& operator=(const StateDatabase&) = delete;

    // True when this run created the file (or the database is in memory).
    bool isNew() const { return m_new; }
    // Closes the database and deletes the file this run created; for a failed first start.
    void discard();

    // Each throws std::runtime_error with SQLite's message when the statement fails.
    void execute(const char* sql, const QVariantList& values = {});
    // The first column of every row.
    QList<QVariant> column(const char* sql, const QVariantList& values = {});
    // The first column of the first row, if there is one.
    std::optional<QVariant> value(const char* sql, const QVariantList& values = {});

    void begin();
    void commit();
    void rollback();

private:
    QSqlQuery& run(const char* sql, const QVariantList& values);
    void executeOnce(const QString& sql);
    void close();
    void configure(bool inMemory);
    void createOrCheckSchema();

    QString m_connection;
    QString m_file;
    bool m_new = true;
    QHash<QByteArray, QSqlQuery> m_statements;
};
