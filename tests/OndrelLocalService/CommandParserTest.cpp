#include "OndrelLocalService/CommandParser.h"
#include "OndrelLocalService/WordStem.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using Action = ParsedCommand::Action;
using Gap = ParsedCommand::Gap;

namespace {

// Wednesday 10 June 2026, 10:00, three hours east of UTC.
const QTimeZone zone(3 * 3600);
const QDateTime now(QDate(2026, 6, 10), QTime(10, 0), zone);
const QStringList folders{QStringLiteral("Входящие"), QStringLiteral("Работа"),
                          QStringLiteral("Личные дела")};

std::optional<QDateTime> at(const char* local) {
    return QDateTime(QDateTime::fromString(QString::fromLatin1(local), Qt::ISODate).date(),
                     QDateTime::fromString(QString::fromLatin1(local), Qt::ISODate).time(), zone);
}

struct Phrase {
    const char* text;
    Action action;
    const char* subject = "";
    std::optional<QString> folder = std::nullopt;
    std::optional<QDateTime> due = std::nullopt;
    std::optional<Priority> priority = std::nullopt;
    Gap gap = Gap::none;
    bool createIfMissing = false;
};

void PrintTo(const Phrase& phrase, std::ostream* out) {
    *out << phrase.text;
}

class CommandPhrases : public testing::TestWithParam<Phrase> {};

TEST_P(CommandPhrases, ParseIntoActionSubjectFolderAndDate) {
    const Phrase& p = GetParam();
    const ParsedCommand command = CommandParser::parse(QString::fromUtf8(p.text), now, folders);
    EXPECT_EQ(command.action, p.action);
    EXPECT_EQ(command.gap, p.gap);
    EXPECT_EQ(command.subject, QString::fromUtf8(p.subject));
    EXPECT_EQ(command.folderName, p.folder);
    EXPECT_EQ(command.due, p.due) << (command.due ? command.due->toString(Qt::ISODate).toStdString()
                                                  : std::string("no date"));
    EXPECT_EQ(command.priority, p.priority);
    EXPECT_EQ(command.createIfMissing, p.createIfMissing);
}

const QString work = QStringLiteral("Работа");

INSTANTIATE_TEST_SUITE_P(
    NewTasks, CommandPhrases,
    testing::Values(
        Phrase{"купить молоко завтра",
               Action::createTask,
               "Купить молоко",
               {},
               at("2026-06-11T23:59")},
        Phrase{"Купить молоко.", Action::createTask, "Купить молоко"},
        Phrase{"добавь в папку Работа позвонить Ивану в пятницу", Action::createTask,
               "Позвонить Ивану", work, at("2026-06-12T23:59")},
        Phrase{"добавь в папку личные дела купить цветы", Action::createTask, "Купить цветы",
               QStringLiteral("Личные дела")},
        Phrase{"добавь в папку Спорт пробежку", Action::createTask, "Пробежку",
               QStringLiteral("Спорт")},
        Phrase{"напомни мне послезавтра в 9:30 записаться к врачу",
               Action::createTask,
               "Записаться к врачу",
               {},
               at("2026-06-12T09:30")},
        Phrase{"сдать отчёт через 3 дня",
               Action::createTask,
               "Сдать отчёт",
               {},
               at("2026-06-13T23:59")},
        Phrase{"через неделю оплатить интернет",
               Action::createTask,
               "Оплатить интернет",
               {},
               at("2026-06-17T23:59")},
        Phrase{"через два дня забрать посылку",
               Action::createTask,
               "Забрать посылку",
               {},
               at("2026-06-12T23:59")},
        Phrase{"в 15:00 созвон с командой",
               Action::createTask,
               "Созвон с командой",
               {},
               at("2026-06-10T15:00")},
        Phrase{"пробежка в 8:00", Action::createTask, "Пробежка", {}, at("2026-06-11T08:00")},
        Phrase{"встреча в среду", Action::createTask, "Встреча", {}, at("2026-06-17T23:59")},
        Phrase{"в следующий понедельник планёрка",
               Action::createTask,
               "Планёрка",
               {},
               at("2026-06-15T23:59")},
        Phrase{"позвонить маме сегодня в 7 вечера",
               Action::createTask,
               "Позвонить маме",
               {},
               at("2026-06-10T19:00")},
        Phrase{"добавь задачу подготовить презентацию важно",
               Action::createTask,
               "Подготовить презентацию",
               {},
               {},
               Priority::high}));

INSTANTIATE_TEST_SUITE_P(
    ChangesToTasks, CommandPhrases,
    testing::Values(
        Phrase{"выполнил купить молоко", Action::completeTask, "купить молоко"},
        Phrase{"Отметь молоко выполненной", Action::completeTask, "молоко"},
        Phrase{"отметь задачу звонок как выполненную", Action::completeTask, "звонок"},
        Phrase{"удали задачу купить хлеб", Action::deleteTask, "купить хлеб"},
        Phrase{"перенеси отчёт на завтра",
               Action::rescheduleTask,
               "отчёт",
               {},
               at("2026-06-11T23:59")},
        Phrase{"перенеси звонок Ивану на пятницу в 11:00",
               Action::rescheduleTask,
               "звонок Ивану",
               {},
               at("2026-06-12T11:00")},
        Phrase{"позвонить Ивану важно",
               Action::setPriority,
               "Позвонить Ивану",
               {},
               {},
               Priority::high,
               Gap::none,
               true},
        Phrase{"сделай отчёт важной", Action::setPriority, "Отчёт", {}, {}, Priority::high},
        Phrase{"отчёт не срочно",
               Action::setPriority,
               "Отчёт",
               {},
               {},
               Priority::low,
               Gap::none,
               true},
        Phrase{"создай папку Дача", Action::createFolder, "Дача"},
        Phrase{"Создай папку «Личные дела»", Action::createFolder, "Личные дела"}));

INSTANTIATE_TEST_SUITE_P(
    Questions, CommandPhrases,
    testing::Values(Phrase{"какие задачи в папке работа", Action::queryFolder, "", work},
                    Phrase{"какие задачи в папке Домашние дела", Action::queryFolder, "",
                           QStringLiteral("Домашние дела")},
                    Phrase{"какие у меня задачи?", Action::queryOpen}));

INSTANTIATE_TEST_SUITE_P(
    Clarifications, CommandPhrases,
    testing::Values(
        Phrase{"", Action::clarify, "", {}, {}, {}, Gap::command},
        Phrase{"  ?! ", Action::clarify, "", {}, {}, {}, Gap::command},
        Phrase{"как дела?", Action::clarify, "", {}, {}, {}, Gap::command},
        Phrase{"удали", Action::clarify, "", {}, {}, {}, Gap::taskName},
        Phrase{"выполнил", Action::clarify, "", {}, {}, {}, Gap::taskName},
        Phrase{"создай папку", Action::clarify, "", {}, {}, {}, Gap::folderName},
        Phrase{"перенеси отчёт", Action::clarify, "отчёт", {}, {}, {}, Gap::date},
        Phrase{"добавь задачу на завтра", Action::clarify, "", {}, {}, {}, Gap::taskName}));

TEST(CommandParserDays, QuestionsAboutADayNameThatDay) {
    const auto day = [](const char* text) {
        const ParsedCommand command = CommandParser::parse(QString::fromUtf8(text), now);
        EXPECT_EQ(command.action, Action::queryDay) << text;
        return command.day;
    };
    EXPECT_EQ(day("что у меня на сегодня?"), QDate(2026, 6, 10));
    EXPECT_EQ(day("Что у меня на завтра"), QDate(2026, 6, 11));
    EXPECT_EQ(day("что на пятницу"), QDate(2026, 6, 12));
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
