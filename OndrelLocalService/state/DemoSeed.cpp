#include "OndrelLocalService/state/DemoSeed.h"

#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/services/TaskService.h"

#include <QDateTime>

namespace {
Instant localDay(int daysAhead, int hour) {
    const QDate day = QDate::currentDate().addDays(daysAhead);
    return Instant::fromQDateTime(QDateTime(day, QTime(hour, 0)));
}
} // namespace

void DemoSeed::populate(ServiceStore& store, const QString& userId, bool samples) {
    FolderService folders(store);
    TaskService tasks(store);
    const QString inbox = folders.insert(userId, QStringLiteral("Входящие"), true).id;
    if (!samples)
        return;
    const QString work = folders.insert(userId, QStringLiteral("Работа")).id;
    const QString home = folders.insert(userId, QStringLiteral("Личное")).id;
    tasks.insert(userId, TaskItem{.folderId = work,
                                  .title = QStringLiteral("Подготовить отчёт за месяц"),
                                  .status = TaskStatus::todo,
                                  .priority = Priority::high,
                                  .dueDate = localDay(1, 18),
                                  .hasDeadline = true});
    tasks.insert(userId, TaskItem{.folderId = work,
                                  .title = QStringLiteral("Позвонить Ивану"),
                                  .status = TaskStatus::todo,
                                  .priority = Priority::medium});
    tasks.insert(userId, TaskItem{.folderId = home,
                                  .title = QStringLiteral("Купить хлеб"),
                                  .status = TaskStatus::todo,
                                  .dueDate = localDay(0, 20),
                                  .hasDeadline = true});
    tasks.insert(userId, TaskItem{.folderId = inbox,
                                  .type = TaskType::idea,
                                  .title = QStringLiteral("Идея: съездить на выходных за город"),
                                  .status = TaskStatus::inbox});
}
