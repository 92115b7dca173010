#pragma once

#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QString>

// Small records for view-model and model tests; the fields not named keep their defaults.
inline TaskItem makeTask(const QString& id, TaskStatus status = TaskStatus::todo,
                         qint64 createdSeconds = 0) {
    TaskItem task;
    task.id = id;
    task.userId = QStringLiteral("u1");
    task.title = QStringLiteral("Задача ") + id;
    task.status = status;
    task.createdAt = Instant::fromMSecsSinceEpoch(1'700'000'000'000 + createdSeconds * 1000);
    task.updatedAt = task.createdAt;
    task.serverUpdatedAt = task.createdAt;
    return task;
}

inline Folder makeFolder(const QString& id, const QString& name) {
    Folder folder;
    folder.id = id;
    folder.userId = QStringLiteral("u1");
    folder.name = name;
    return folder;
}

inline Capture makeCapture(const QString& id) {
    Capture capture;
    capture.id = id;
    capture.userId = QStringLiteral("u1");
    return capture;
}

// What the assistant did, as far as the screens show it: its answer.
inline ApplyResult applyResult(const QString& answer) {
    ApplyResult result;
    result.answer = answer;
    return result;
}

inline const QList<Folder> threeFolders{makeFolder("f1", QStringLiteral("Входящие")),
                                        makeFolder("f2", QStringLiteral("Дом")),
                                        makeFolder("f3", QStringLiteral("Работа"))};
