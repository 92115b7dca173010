#pragma once

#include "OndrelCore/wire/Priority.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// What a Russian command asks for, before anything is looked up or changed.
struct ParsedCommand {
    enum class Action {
        createTask,
        completeTask,
        deleteTask,
        rescheduleTask,
        setPriority,
        createFolder,
        queryDay,
        queryFolder,
        queryOpen,
        clarify,
    };
    // What a clarification has to ask for.
    enum class Gap { none, command, taskName, folderName, date };

    Action action = Action::clarify;
    Gap gap = Gap::command;
    // The new task's title, the new folder's name, or the words that name an existing task.
    // A reschedule with `folderName` moves the task there.
    QString subject;
    std::optional<QString> folderName;
    std::optional<QDateTime> due;
    // RRULE text: "FREQ=WEEKLY;BYDAY=TU".
    std::optional<QString> recurrence;
    std::optional<Priority> priority;
    std::optional<QDate> day;
    // "Купить молоко важно": raise that task, or add it when there is none by that name.
    bool createIfMissing = false;
    // "создай папку Спорт и добавь туда пробежку": the folder is made first when missing.
    bool newFolder = false;

    friend bool operator==(const ParsedCommand&, const ParsedCommand&) = default;
};
