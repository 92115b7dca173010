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
    QString subject;
    std::optional<QString> folderName;
    std::optional<QDateTime> due;
    std::optional<Priority> priority;
    std::optional<QDate> day;
    // "Купить молоко важно": raise that task, or add it when there is none by that name.
    bool createIfMissing = false;

    friend bool operator==(const ParsedCommand&, const ParsedCommand&) = default;
};
