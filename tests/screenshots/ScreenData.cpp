#include "ScreenData.h"

#include <QDateTime>
#include <QTimeZone>

namespace {

Instant at(int year, int month, int day, int hour = 12, int minute = 0) {
    return Instant::fromQDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone("Europe/Moscow")));
}

Folder folder(const char* id, const QString& emoji, const QString& name, bool system = false) {
    Folder result;
    result.id = QString::fromLatin1(id);
    result.userId = QStringLiteral("u1");
    result.name = name;
    result.emoji = emoji;
    result.isSystem = system;
    return result;
}

TaskItem task(const char* id, const QString& title, TaskStatus status, Priority priority) {
    TaskItem result;
    result.id = QString::fromLatin1(id);
    result.userId = QStringLiteral("u1");
    result.folderId = QStringLiteral("inbox");
    result.title = title;
    result.status = status;
    result.priority = priority;
    result.createdAt = at(2025, 3, 1);
    result.updatedAt = result.createdAt;
    result.serverUpdatedAt = result.createdAt;
    return result;
}

} // namespace

namespace ScreenData {

QList<Folder> folders() {
    return {folder("inbox", QString::fromUtf8("📥"), QStringLiteral("Входящие"), true),
            folder("home", QString::fromUtf8("🏠"), QStringLiteral("Дом")),
            folder("work", QString::fromUtf8("💼"), QStringLiteral("Работа"))};
}

QList<TaskItem> tasks() {
    TaskItem call = task("t1", QStringLiteral("Позвонить маме"), TaskStatus::todo, Priority::high);
    call.body = QStringLiteral("Спросить про выходные и напомнить про лекарства.");
    call.dueDate = at(2025, 3, 11);
    call.hasDeadline = true;
    call.tags = {QStringLiteral("семья")};

    TaskItem groceries = task("t2", QStringLiteral("Купить продукты на неделю"),
                              TaskStatus::inProgress, Priority::medium);
    groceries.body = QStringLiteral(
        "Молоко, хлеб, яйца, сыр, овощи для супа и что-нибудь к чаю. Заодно посмотреть скидки "
        "на кофе и взять пакеты, чтобы не покупать новые на кассе.");
    groceries.checklist =
        QList<ChecklistItem>{{QStringLiteral("c1"), QStringLiteral("Молоко"), true},
                             {QStringLiteral("c2"), QStringLiteral("Хлеб"), false},
                             {QStringLiteral("c3"), QStringLiteral("Яйца"), false}};
    groceries.tags = {QStringLiteral("дом"), QStringLiteral("покупки")};

    TaskItem internet =
        task("t3", QStringLiteral("Оплатить интернет"), TaskStatus::todo, Priority::low);
    internet.dueDate = at(2030, 6, 15);
    internet.hasDeadline = true;
    internet.recurrence = QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=15");

    TaskItem podcast = task("t4", QStringLiteral("Идея: подкаст о продуктивности"),
                            TaskStatus::inbox, Priority::none);
    podcast.type = TaskType::idea;

    TaskItem report =
        task("t5", QStringLiteral("Отправить квартальный отчёт"), TaskStatus::done, Priority::high);
    report.dueDate = at(2025, 3, 10);
    report.hasDeadline = true;
    report.completedAt = at(2025, 3, 10, 10, 15);
    report.tags = {QStringLiteral("работа")};

    TaskItem doctor =
        task("t6", QStringLiteral("Записаться к врачу"), TaskStatus::done, Priority::none);
    doctor.completedAt = at(2025, 3, 9, 18, 40);

    return {call, groceries, internet, podcast, report, doctor};
}

} // namespace ScreenData
