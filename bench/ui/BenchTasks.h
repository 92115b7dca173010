#pragma once

#include "OndrelCore/wire/TaskItem.h"

#include <QList>

// The 10,000 tasks the screen benches work on: one folder, a quarter done, creation times
// shuffled, every one tagged "дом" and "ёлка". `titleSuffix` makes a second list differ from
// the first in every row.
inline constexpr int benchTaskCount = 10'000;

inline QList<TaskItem> benchTasks(const QString& titleSuffix) {
    QList<TaskItem> tasks;
    tasks.reserve(benchTaskCount);
    for (int i = 0; i < benchTaskCount; ++i) {
        TaskItem task;
        task.id = QStringLiteral("task-%1").arg(i);
        task.userId = QStringLiteral("user-1");
        task.folderId = QStringLiteral("folder-1");
        task.title = QStringLiteral("Задача номер %1 %2").arg(i).arg(titleSuffix);
        task.body = QStringLiteral("Подробное описание задачи, чтобы строка была похожа на правду");
        task.status = i % 4 == 0 ? TaskStatus::done : TaskStatus::todo;
        task.priority = Priority::medium;
        task.tags = {QStringLiteral("дом"), QStringLiteral("ёлка")};
        task.createdAt = Instant::fromMSecsSinceEpoch(1'700'000'000'000 +
                                                      qint64(i * 7919 % benchTaskCount) * 1000);
        task.updatedAt = task.createdAt;
        task.serverUpdatedAt = task.createdAt;
        tasks.append(std::move(task));
    }
    return tasks;
}
