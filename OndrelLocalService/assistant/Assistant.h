#pragma once

#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/SourceKind.h"
#include "OndrelLocalService/assistant/ParsedCommand.h"
#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/services/TaskService.h"

#include <QDateTime>
#include <QTimeZone>

// Carries out a parsed Russian command on the user's data and answers in one short Russian
// sentence. What it cannot carry out (no such task, several candidates, missing words) becomes
// a clarification question; it never fails the request. Day words and clock times are read in
// the account's time zone, at the store's clock.
class Assistant {
public:
    Assistant(ServiceStore& store, FolderService& folders, TaskService& tasks)
        : m_store(store), m_folders(folders), m_tasks(tasks) {}

    ApplyResult apply(const QString& userId, const QString& text, SourceKind source);

private:
    struct Call;
    ApplyResult run(Call& call, const ParsedCommand& command);
    ApplyResult createTask(Call& call, const ParsedCommand& command);
    ApplyResult completeTask(Call& call, const ParsedCommand& command);
    ApplyResult deleteTask(Call& call, const ParsedCommand& command);
    ApplyResult rescheduleTask(Call& call, const ParsedCommand& command);
    ApplyResult setPriority(Call& call, const ParsedCommand& command);
    ApplyResult createFolder(Call& call, const ParsedCommand& command);
    ApplyResult queryDay(Call& call, const ParsedCommand& command);
    ApplyResult queryFolder(Call& call, const ParsedCommand& command);
    ApplyResult queryOpen(Call& call);
    ApplyResult clarify(Call& call, ParsedCommand::Gap gap, const QString& subject);
    ApplyResult question(Call& call, const QString& text);
    // The live tasks that `words` names best; several when it is ambiguous.
    QList<TaskItem> find(const QString& userId, const QString& words, bool openFirst);
    ApplyResult notFoundOrAmbiguous(Call& call, const QString& words, const QList<TaskItem>& found);
    // "завтра в 15:00", "12.06.2026": a due time in words, relative to `today`.
    static QString when(const QDateTime& due, const QDate& today);
    // The account's zone; UTC when the record names none this machine knows.
    QTimeZone zone(const QString& userId) const;
    // Where a new or moved task goes; a question when the folder is unknown.
    std::optional<Folder> targetFolder(Call& call, const ParsedCommand& command,
                                       std::optional<ApplyResult>& asked);

    ServiceStore& m_store;
    FolderService& m_folders;
    TaskService& m_tasks;
};
