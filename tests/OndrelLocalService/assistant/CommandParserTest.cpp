#include "OndrelLocalService/assistant/CommandParser.h"
#include "OndrelLocalService/assistant/WordStem.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// Wednesday 10 June 2026, 10:00, three hours east of UTC.
const QTimeZone zone(3 * 3600);
const QDateTime now(QDate(2026, 6, 10), QTime(10, 0), zone);
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
        {"Купить молоко.", "create «Купить молоко»"},
        {"добавь в папку Работа позвонить Ивану в пятницу",
         "create «Позвонить Ивану» in Работа 06-12 23:59"},
        {"добавь в папку личные дела купить цветы", "create «Купить цветы» in Личные дела"},
        {"напомни мне послезавтра в 9:30 записаться к врачу",
         "create «Записаться к врачу» 06-12 09:30"},
        {"сдать отчёт через 3 дня", "create «Сдать отчёт» 06-13 23:59"},
        {"через неделю оплатить интернет", "create «Оплатить интернет» 06-17 23:59"},
        {"в 15:00 созвон с командой", "create «Созвон с командой» 06-10 15:00"},
        {"пробежка в 8:00", "create «Пробежка» 06-11 08:00"},
        {"встреча в среду", "create «Встреча» 06-17 23:59"},
        {"в следующий понедельник планёрка", "create «Планёрка» 06-15 23:59"},
        {"позвонить маме сегодня в 7 вечера", "create «Позвонить маме» 06-10 19:00"},
        {"добавь задачу подготовить презентацию важно", "create «Подготовить презентацию» HIGH"},
        // Changes to existing tasks and folders.
        {"отметь задачу звонок как выполненную", "complete «звонок»"},
        {"удали задачу купить хлеб", "delete «купить хлеб»"},
        {"перенеси отчёт на завтра", "reschedule «отчёт» 06-11 23:59"},
        {"перенеси звонок Ивану на пятницу в 11:00", "reschedule «звонок Ивану» 06-12 11:00"},
        {"позвонить Ивану важно", "priority «Позвонить Ивану» HIGH +new"},
        {"сделай отчёт важной", "priority «Отчёт» HIGH"},
        {"отчёт не срочно", "priority «Отчёт» LOW +new"},
        {"Создай папку «Личные дела»", "folder «Личные дела»"},
        // Questions.
        {"какие задачи в папке работа", "queryFolder in Работа"},
        {"какие задачи в папке Домашние дела", "queryFolder in Домашние дела"},
        {"какие у меня задачи?", "queryOpen"},
        {"что на пятницу", "day 06-12"},
        // What needs a clarification, and of what.
        {"", "clarify ?command"},
        {"  ?! ", "clarify ?command"},
        {"как дела?", "clarify ?command"},
        {"удали", "clarify ?task"},
        {"выполнил", "clarify ?task"},
        {"перенеси отчёт", "clarify «отчёт» ?date"},
        {"добавь задачу на завтра", "clarify ?task"},
    };
    for (const auto& [text, expected] : phrases)
        EXPECT_EQ(describe(CommandParser::parse(QString::fromUtf8(text), now, folders)),
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

struct StemCase {
    const char* query;
    const char* title;
    double score;
};

TEST(WordStem, MatchesTitlesAcrossWordEndingsAndCase) {
    const StemCase cases[]{
        {"купить молока", "Купить молоко", 1.0}, {"ПОЗВОНИТЬ ИВАНУ", "Позвонить Ивану", 1.0},
        {"молоко", "Купить молоко", 0.5},        {"отчёт", "Подготовить отчет за месяц", 0.25},
        {"отчета", "Подготовить отчёт", 0.5},    {"хлеб", "Купить молоко", 0.0},
        {"купить хлеб", "Купить молоко", 0.0},   {"", "Купить молоко", 0.0},
    };
    for (const StemCase& c : cases)
        EXPECT_DOUBLE_EQ(
            WordStem::matchScore(QString::fromUtf8(c.query), QString::fromUtf8(c.title)), c.score)
            << c.query << " / " << c.title;
}

} // namespace
