#pragma once

#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/ProcessingRun.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/User.h"
#include "OndrelLocalService/state/StateDatabase.h"

#include <functional>
#include <memory>
#include <optional>

struct ServiceState;

// The service's state in its SQLite database. Reads give copies; every write (`put`, tokens)
// runs inside `change`, one transaction: a request either happens completely, and is on disk
// when it is answered, or not at all. A write costs the same however much is stored.
class ServiceStore {
public:
    using Clock = std::function<Instant()>;
    enum class TokenKind { access, refresh };

    // Without a file the database lives in memory. A new database file takes over the JSON
    // data file of earlier versions beside it (NAME.json for NAME.sqlite), which is left as
    // it is. Throws std::runtime_error, naming the file, when either cannot be used.
    explicit ServiceStore(std::optional<QString> databaseFile = std::nullopt,
                          Clock clock = &Instant::now);
    ~ServiceStore();

    // Changes nest: only the outermost one commits, and a failure anywhere undoes all of it.
    template <class Operation>
    auto change(Operation operation) -> decltype(operation()) {
        if (m_depth > 0)
            return operation();
        begin();
        try {
            if constexpr (std::is_void_v<decltype(operation())>) {
                operation();
                commit();
            } else {
                auto result = operation();
                commit();
                return result;
            }
        } catch (...) {
            rollback();
            throw;
        }
    }

    // The wall clock, to the millisecond (the wire's precision).
    Instant now() const;
    // A change time strictly later than every one handed out before.
    Instant stamp();
    // The time a sync answer reports; every later change is stamped strictly after it.
    Instant serverTime();

    std::optional<User> user(const QString& id) const;
    void put(const User& user);

    std::optional<Folder> folder(const QString& userId, const QString& id) const;
    // The user's folders, tombstones included, in the order they changed; with `changedAfter`
    // only those changed after it.
    QList<Folder> folders(const QString& userId,
                          const std::optional<Instant>& changedAfter = std::nullopt) const;
    // A live folder whose name equals `name` ignoring case.
    std::optional<Folder> folderNamed(const QString& userId, const QString& name) const;
    // The user's system inbox folder.
    std::optional<Folder> inbox(const QString& userId) const;
    // One more than the highest sortOrder the user's folders ever had.
    qint64 nextSortOrder(const QString& userId) const;
    void put(const Folder& folder);

    std::optional<TaskItem> task(const QString& userId, const QString& id) const;
    // Whether any user has a task with this id.
    bool taskExists(const QString& id) const;
    QList<TaskItem> tasks(const QString& userId,
                          const std::optional<Instant>& changedAfter = std::nullopt) const;
    // Live tasks by createdAt, filtered by folder and status when given.
    QList<TaskItem> liveTasks(const QString& userId, const std::optional<QString>& folderId,
                              const std::optional<TaskStatus>& status) const;
    void put(const TaskItem& task);

    std::optional<Capture> capture(const QString& userId, const QString& id) const;
    // Newest first.
    QList<Capture> captures(const QString& userId) const;
    void put(const Capture& capture);

    std::optional<ProcessingRun> run(const QString& id) const;
    // Oldest first.
    QList<ProcessingRun> runsOf(const QString& captureId) const;
    void put(const ProcessingRun& run);

    // Tokens are kept as their SHA-256 only: the database never holds a usable token.
    void grant(TokenKind kind, const QString& token, const QString& userId, Instant expiresAt);
    // The owner of a token that is known and not expired at `now`.
    std::optional<QString> tokenOwner(TokenKind kind, const QString& token, Instant now) const;
    void revoke(TokenKind kind, const QString& token);
    // Drops every expired token, and the user's oldest ones beyond `kept` of each kind.
    void pruneTokens(const QString& userId, Instant now, qsizetype kept);

    // The answer a user's request with idempotency key `key` got, kept for its resends; those
    // kept before `since` are dropped on the next keep.
    std::optional<QByteArray> keptAnswer(const QString& userId, const QString& key) const;
    void keepAnswer(const QString& userId, const QString& key, const QByteArray& answer,
                    Instant since);

private:
    void begin();
    void commit();
    void rollback();
    void requireChange() const;
    void import(const ServiceState& state);

    std::unique_ptr<StateDatabase> m_database;
    Clock m_clock;
    Instant m_lastStamp;
    Instant m_committedStamp;
    int m_depth = 0;
};
