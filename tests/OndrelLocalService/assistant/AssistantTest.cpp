#include "OndrelLocalService/assistant/Assistant.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "support/QtPrinters.h"

#include <QRandomGenerator>
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
    QList<TaskItem> live() const { return tasks.list(user, std::nullopt, std::nullopt); }

    ServiceStore store{std::nullopt, [] { return Instant::fromQDateTime(localNow); }};
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks, [] { return localNow; }};
};

TEST_F(AssistantTest, CreatesATaskInTheInboxWithItsDeadline) {
    const ApplyResult result = say("купить молоко завтра");
    ASSERT_EQ(result.tasks.size(), 1);
    const TaskItem& task = result.tasks.first();
    EXPECT_EQ(result.intent, Intent::captureNew);
    EXPECT_FALSE(result.needsClarification);
    EXPECT_EQ(result.answer,
              QStringLiteral("Добавил задачу «Купить молоко» в папку «Входящие» на завтра."));
    EXPECT_EQ(task.title, QStringLiteral("Купить молоко"));
    EXPECT_EQ(task.folderId, store.inbox(user)->id);
    EXPECT_EQ(task.dueDate, local(11, 23, 59));
    EXPECT_TRUE(task.hasDeadline);
    EXPECT_EQ(task.source, SourceKind::text);
    EXPECT_EQ(task.transcript, QStringLiteral("купить молоко завтра"));
    ASSERT_EQ(result.actions.size(), 1);
    EXPECT_EQ(result.actions.first().taskId, task.id);
    EXPECT_EQ(live(), QList<TaskItem>{task});
}

TEST_F(AssistantTest, FilesIntoANamedFolderOrAsksWhenThereIsNone) {
    store.change([&] { folders.insert(user, QStringLiteral("Работа")); });
    const ApplyResult filed = say("добавь в папку работа позвонить Ивану в пятницу в 15:00");
    ASSERT_EQ(filed.tasks.size(), 1);
    EXPECT_EQ(filed.tasks.first().folderId, folders.findByName(user, QStringLiteral("Работа"))->id);
    EXPECT_EQ(filed.tasks.first().dueDate, local(12, 15, 0));

    const ApplyResult unknown = say("добавь в папку Спорт пробежку");
    EXPECT_TRUE(unknown.needsClarification);
    EXPECT_EQ(unknown.clarificationQuestion, unknown.answer);
    EXPECT_EQ(unknown.status, RunStatus::partial);
    EXPECT_TRUE(unknown.tasks.isEmpty());
    EXPECT_EQ(live().size(), 1);
}

TEST_F(AssistantTest, CompletesTheTaskItNamesOrRecordsOneDone) {
    const QString id = say("купить молоко").tasks.first().id;
    say("позвонить маме");
    const ApplyResult result = say("выполнил купить молока");
    EXPECT_EQ(result.intent, Intent::completeTask);
    ASSERT_EQ(result.tasks.size(), 1);
    EXPECT_EQ(result.tasks.first().id, id);
    EXPECT_EQ(result.tasks.first().status, TaskStatus::done);
    EXPECT_TRUE(result.tasks.first().completedAt.has_value());
    EXPECT_EQ(result.answer, QStringLiteral("Отметил выполненной задачу «Купить молоко»."));

    const ApplyResult again = say("отметь молоко выполненной");
    EXPECT_EQ(again.answer, QStringLiteral("Задача «Купить молоко» уже выполнена."));
    EXPECT_TRUE(again.actions.isEmpty());

    // Nothing by that name: something already done is recorded.
    const ApplyResult recorded = say("сделал зарядку");
    EXPECT_EQ(recorded.intent, Intent::createDone);
    EXPECT_EQ(recorded.tasks.first().title, QStringLiteral("Зарядку"));
    EXPECT_EQ(recorded.tasks.first().status, TaskStatus::done);
}

TEST_F(AssistantTest, DeletesReschedulesAndRaisesExistingTasks) {
    const QString report = say("подготовить отчёт").tasks.first().id;
    const QString bread = say("купить хлеб").tasks.first().id;

    const ApplyResult moved = say("перенеси отчёт на послезавтра в 12:00");
    EXPECT_EQ(moved.intent, Intent::updateTask);
    EXPECT_EQ(store.task(user, report)->dueDate, local(12, 12, 0));

    const ApplyResult raised = say("отчёт важно");
    EXPECT_EQ(raised.intent, Intent::updateTask);
    EXPECT_EQ(store.task(user, report)->priority, Priority::high);

    const ApplyResult removed = say("удали хлеб");
    EXPECT_EQ(removed.intent, Intent::deleteTask);
    EXPECT_TRUE(store.task(user, bread)->deleted);
    EXPECT_EQ(live().size(), 1);

    // Raising a task that does not exist adds it, already important.
    const ApplyResult added = say("оплатить счёт важно");
    EXPECT_EQ(added.intent, Intent::captureNew);
    EXPECT_EQ(added.tasks.first().priority, Priority::high);
}

TEST_F(AssistantTest, AsksInsteadOfGuessingBetweenTasksOrWithoutOne) {
    say("позвонить Ивану");
    say("позвонить Ивану");
    const QList<TaskItem> before = store.tasks(user);
    for (const char* text : {"удали позвонить ивану", "удали несуществующую задачу",
                             "перенеси звонок", "что-то непонятное?", "создай папку"}) {
        const ApplyResult result = say(text);
        EXPECT_TRUE(result.needsClarification) << text;
        EXPECT_FALSE(result.answer.isEmpty()) << text;
        EXPECT_TRUE(result.actions.isEmpty()) << text;
    }
    EXPECT_EQ(store.tasks(user), before);
}

TEST_F(AssistantTest, AnswersQuestionsAboutADayAndAFolder) {
    say("купить молоко завтра");
    say("сдать отчёт завтра в 9:00");
    say("позвонить маме сегодня");
    say("выполнил позвонить маме");
    const ApplyResult tomorrow = say("что у меня на завтра?");
    EXPECT_EQ(tomorrow.intent, Intent::query);
    ASSERT_EQ(tomorrow.queryResults.size(), 2);
    EXPECT_EQ(tomorrow.queryResults[0].title, QStringLiteral("Сдать отчёт")); // earlier first
    EXPECT_EQ(tomorrow.answer,
              QStringLiteral("На завтра 2 задачи: «Сдать отчёт», «Купить молоко»."));

    const ApplyResult today = say("что у меня на сегодня");
    EXPECT_TRUE(today.queryResults.isEmpty()); // the only one is done
    EXPECT_EQ(today.answer, QStringLiteral("На сегодня задач нет."));

    const ApplyResult inbox = say("какие задачи в папке входящие");
    EXPECT_EQ(inbox.queryResults.size(), 2);
}

TEST_F(AssistantTest, CreatesAFolderOnce) {
    EXPECT_EQ(say("создай папку Дача").answer, QStringLiteral("Создал папку «Дача»."));
    EXPECT_EQ(say("создай папку дача").answer, QStringLiteral("Папка «Дача» уже есть."));
    EXPECT_EQ(folders.list(user).size(), 2);
}

// Random sentences from the parser's own vocabulary and some noise: whatever comes in, the
// assistant answers, and never files a task without a title.
TEST_F(AssistantTest, SurvivesArbitraryText) {
    const QStringList vocabulary =
        QStringLiteral(
            "добавь удали выполнил отметь перенеси создай папку папке задачу в во на через 3 "
            "2000000000 дней неделю завтра сегодня пятницу следующий 25:99 15:00 в 7 вечера часов "
            "важно не срочно что какие у меня ? , «» - 0 молоко Работа \u0000 \U0001F600")
            .split(u' ');
    QRandomGenerator random(20260610);
    for (int round = 0; round < 500; ++round) {
        QStringList words;
        const int length = random.bounded(0, 9);
        for (int i = 0; i < length; ++i)
            words.append(vocabulary[random.bounded(vocabulary.size())]);
        const QString text = words.join(u' ');
        const ApplyResult result = assistant.apply(user, text, SourceKind::text);
        EXPECT_FALSE(result.answer.isEmpty()) << text.toStdString();
        for (const TaskItem& task : result.tasks)
            EXPECT_FALSE(task.title.trimmed().isEmpty()) << text.toStdString();
    }
}

} // namespace
