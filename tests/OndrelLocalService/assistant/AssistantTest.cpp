#include "OndrelLocalService/assistant/Assistant.h"
#include "OndrelLocalService/assistant/CommandParser.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QTimeZone zone(3 * 3600);
// Wednesday 10 June 2026, 10:00 at +03:00.
const QDateTime localNow(QDate(2026, 6, 10), QTime(10, 0), zone);
const QString user = QStringLiteral("u");

Instant local(int day, int hour, int minute) {
    return Instant::fromQDateTime(QDateTime(QDate(2026, 6, day), QTime(hour, minute), zone));
}

class AssistantTest : public testing::Test {
protected:
    AssistantTest() {
        store.change([&] { DemoSeed::populate(store, user, false); });
    }

    ApplyResult say(const char* text) {
        return assistant.apply(user, QString::fromUtf8(text), SourceKind::text);
    }

    ServiceStore store{std::nullopt, [] { return Instant::fromQDateTime(localNow); }};
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks, [] { return localNow; }};
};

// One conversation: what is said, what the assistant did and its exact answer. A row without an
// intent is a question back, which changes nothing.
TEST_F(AssistantTest, CarriesOutACommandOrAsksBack) {
    store.change([&] { folders.insert(user, QStringLiteral("Работа")); });
    const struct {
        const char* said;
        std::optional<Intent> intent;
        const char* answer;
    } conversation[] = {
        {"купить молоко завтра", Intent::captureNew,
         "Добавил задачу «Купить молоко» в папку «Входящие» на завтра."},
        {"добавь в папку работа позвонить Ивану в пятницу в 15:00", Intent::captureNew,
         "Добавил задачу «Позвонить Ивану» в папку «Работа» на 12.06.2026 в 15:00."},
        {"добавь в папку Спорт пробежку", std::nullopt,
         "Не нашёл папку «Спорт». В какую папку добавить задачу?"},
        {"подготовить отчёт", Intent::captureNew,
         "Добавил задачу «Подготовить отчёт» в папку «Входящие»."},
        {"перенеси отчёт на послезавтра в 12:00", Intent::updateTask,
         "Перенёс задачу «Подготовить отчёт» на 12.06.2026 в 12:00."},
        {"отчет важно", Intent::updateTask, // "е" finds "ё"
         "Отметил задачу «Подготовить отчёт» как важную."},
        {"оплатить счёт важно", Intent::captureNew, ""}, // raising what is not there adds it
        {"выполнил купить молока", Intent::completeTask,
         "Отметил выполненной задачу «Купить молоко»."},
        {"отметь молоко выполненной", Intent::completeTask,
         "Задача «Купить молоко» уже выполнена."},
        {"сделал зарядку", Intent::createDone, "Записал как выполненную задачу «Зарядку»."},
        {"купить хлеб", Intent::captureNew, ""},
        {"удали хлеб", Intent::deleteTask, "Удалил задачу «Купить хлеб»."},
        {"позвонить Ивану", Intent::captureNew, ""},
        {"удали позвонить ивану", std::nullopt, ""},
        {"создай папку", std::nullopt, "Как назвать папку?"},
        {"создай папку Дача", Intent::captureNew, "Создал папку «Дача»."},
        {"создай папку дача", Intent::captureNew, "Папка «Дача» уже есть."},
        {"сдать отчёт завтра в 9:00", Intent::captureNew, ""},
        {"что у меня на завтра?", Intent::query, "На завтра 1 задача: «Сдать отчёт»."},
        {"что у меня на сегодня", Intent::query, "На сегодня задач нет."},
    };
    for (const auto& row : conversation) {
        const QList<TaskItem> before = store.tasks(user);
        const ApplyResult result = say(row.said);
        EXPECT_EQ(result.answer, *row.answer ? QString::fromUtf8(row.answer) : result.answer)
            << row.said;
        EXPECT_FALSE(result.answer.isEmpty()) << row.said;
        EXPECT_EQ(result.needsClarification, !row.intent) << row.said;
        if (row.intent) {
            EXPECT_EQ(result.intent, *row.intent) << row.said;
        } else {
            EXPECT_TRUE(result.actions.isEmpty()) << row.said;
            EXPECT_EQ(store.tasks(user), before) << row.said;
        }
    }
    const auto task = [&](const char* title) {
        for (const TaskItem& task : store.tasks(user))
            if (task.title == QString::fromUtf8(title))
                return task;
        ADD_FAILURE() << "no task " << title;
        return TaskItem{};
    };
    const TaskItem milk = task("Купить молоко");
    EXPECT_EQ(milk.folderId, store.inbox(user)->id);
    EXPECT_EQ(milk.dueDate, local(11, 23, 59));
    EXPECT_EQ(milk.source, SourceKind::text);
    EXPECT_EQ(milk.transcript, QStringLiteral("купить молоко завтра"));
    EXPECT_EQ(milk.status, TaskStatus::done);
    EXPECT_EQ(task("Подготовить отчёт").dueDate, local(12, 12, 0));
    EXPECT_EQ(task("Подготовить отчёт").priority, Priority::high);
    EXPECT_EQ(task("Оплатить счёт").priority, Priority::high);
    EXPECT_EQ(task("Зарядку").status, TaskStatus::done);
    EXPECT_TRUE(task("Купить хлеб").deleted);
    EXPECT_EQ(say("какие задачи в папке входящие").queryResults.size(), 4);
}

const QStringList folders{QStringLiteral("Входящие"), QStringLiteral("Работа"),
                          QStringLiteral("Личные дела")};

// A parsed command in one line: action, «subject», folder, due (local, "MM-dd HH:mm"),
// priority, the day asked about, what a clarification asks for, and "+new" for create-if-missing.
QString describe(const ParsedCommand& c) {
    static const char* actions[] = {"create", "complete", "delete",      "reschedule", "priority",
                                    "folder", "day",      "queryFolder", "queryOpen",  "clarify"};
    static const char* gaps[] = {"", " ?command", " ?task", " ?folder", " ?date"};
    QString line = QString::fromLatin1(actions[int(c.action)]);
    if (!c.subject.isEmpty())
        line += QStringLiteral(" «") + c.subject + u'»';
    if (c.folderName)
        line += QStringLiteral(" in ") + *c.folderName;
    if (c.due)
        line += c.due->toTimeZone(zone).toString(QStringLiteral(" MM-dd HH:mm"));
    if (c.priority)
        line += u' ' + rawValue(*c.priority);
    if (c.day)
        line += c.day->toString(QStringLiteral(" MM-dd"));
    return line + QString::fromLatin1(gaps[int(c.gap)]) +
           (c.createIfMissing ? QStringLiteral(" +new") : QString());
}

TEST(CommandParser, ParsesRussianPhrases) {
    const std::pair<const char*, const char*> phrases[] = {
        // New tasks, with folders and dates.
        {"добавь в папку Работа позвонить Ивану в пятницу",
         "create «Позвонить Ивану» in Работа 06-12 23:59"},
        {"добавь в папку личные дела купить цветы", "create «Купить цветы» in Личные дела"},
        {"напомни мне послезавтра в 9:30 записаться к врачу",
         "create «Записаться к врачу» 06-12 09:30"},
        {"сдать отчёт через 3 дня", "create «Сдать отчёт» 06-13 23:59"},
        {"в 15:00 созвон с командой", "create «Созвон с командой» 06-10 15:00"},
        {"пробежка в 8:00", "create «Пробежка» 06-11 08:00"},
        {"встреча в среду", "create «Встреча» 06-17 23:59"},
        {"в следующий понедельник планёрка", "create «Планёрка» 06-15 23:59"},
        {"позвонить маме сегодня в 7 вечера", "create «Позвонить маме» 06-10 19:00"},
        {"добавь задачу подготовить презентацию важно", "create «Подготовить презентацию» HIGH"},
        // Changes to existing tasks and folders.
        {"перенеси звонок Ивану на пятницу в 11:00", "reschedule «звонок Ивану» 06-12 11:00"},
        {"сделай отчёт важной", "priority «Отчёт» HIGH"},
        {"отчёт не срочно", "priority «Отчёт» LOW +new"},
        {"Создай папку «Личные дела»", "folder «Личные дела»"},
        // Questions.
        {"какие задачи в папке Домашние дела", "queryFolder in Домашние дела"},
        {"какие у меня задачи?", "queryOpen"},
        {"что на пятницу", "day 06-12"},
        // What needs a clarification, and of what.
        {"", "clarify ?command"},
        {"удали", "clarify ?task"},
        {"перенеси отчёт", "clarify «отчёт» ?date"},
        {"добавь задачу на завтра", "clarify ?task"},
    };
    for (const auto& [text, expected] : phrases)
        EXPECT_EQ(describe(CommandParser::parse(QString::fromUtf8(text), localNow, folders)),
                  QString::fromUtf8(expected))
            << text;
}

TEST(CommandParserDays, DatesFollowTheZoneOfNow) {
    // 23:30 UTC on the 9th is already the 10th three hours east.
    const QDateTime lateUtc(QDate(2026, 6, 9), QTime(23, 30), Qt::UTC);
    const ParsedCommand command =
        CommandParser::parse(QStringLiteral("что на сегодня"), lateUtc.toTimeZone(zone));
    EXPECT_EQ(command.day, QDate(2026, 6, 10));
}

} // namespace
