#include "OndrelLocalService/assistant/Assistant.h"
#include "OndrelCore/planning/RecurrenceRule.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QString user = QStringLiteral("u");
// The account lives ten hours east of UTC; the service process runs seventeen hours behind it.
const QTimeZone accountZone("Asia/Vladivostok");
const QByteArray processZone = "America/Los_Angeles";
// Wednesday 10 June 2026, 10:00 in the account's zone (still the 9th in the process's).
const Instant now =
    Instant::fromQDateTime(QDateTime(QDate(2026, 6, 10), QTime(10, 0), accountZone));

class AssistantTest : public testing::Test {
protected:
    AssistantTest() : m_savedZone(qgetenv("TZ")) {
        qputenv("TZ", processZone);
        store.change([&] {
            store.put(User{.id = user,
                           .timezone = QString::fromLatin1(accountZone.id()),
                           .locale = QStringLiteral("ru_RU")});
            DemoSeed::populate(store, user, false);
            for (const char* name : {"Работа", "Дом", "Спорт", "Личные дела"})
                folders.insert(user, QString::fromUtf8(name));
        });
    }
    ~AssistantTest() override {
        m_savedZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", m_savedZone);
    }

    // What a command did in one line: the question asked back, the answer of a query, or the
    // created or changed task: «title», folder, due (account's zone), rule, priority, state.
    QString outcome(const ApplyResult& result) {
        if (result.needsClarification)
            return QStringLiteral("? ") + result.clarificationQuestion.value_or(QString());
        if (result.tasks.isEmpty())
            return QStringLiteral("= ") + result.answer;
        const TaskItem& task = result.tasks.first();
        QString line = u'«' + task.title + QStringLiteral("» ") +
                       store.folder(user, task.folderId.value_or(QString()))->name;
        EXPECT_EQ(task.hasDeadline, task.dueDate.has_value()) << task.title.toStdString();
        if (task.dueDate)
            line += task.dueDate->toQDateTime()
                        .toTimeZone(accountZone)
                        .toString(QStringLiteral(" dd.MM.yy HH:mm"));
        if (task.recurrence) {
            EXPECT_TRUE(RecurrenceRule::parse(*task.recurrence)) << task.recurrence->toStdString();
            line += u' ' + *task.recurrence;
        }
        if (task.priority != Priority::none)
            line += u' ' + rawValue(task.priority);
        if (task.status == TaskStatus::done)
            line += QStringLiteral(" done");
        if (task.deleted)
            line += QStringLiteral(" deleted");
        return line;
    }

    ServiceStore store{std::nullopt, [] { return now; }};
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks};

private:
    QByteArray m_savedZone;
};

// One conversation, line by line: what is said, what came of it, and where it matters the exact
// answer line.
TEST_F(AssistantTest, UnderstandsEverydayRussian) {
    const struct {
        const char* said;
        const char* outcome;
        const char* answer = nullptr;
    } conversation[] = {
        {"Купить батарейки, лампочки и клей", "«Купить батарейки, лампочки и клей» Входящие",
         "Добавил задачу «Купить батарейки, лампочки и клей» в папку «Входящие»."},
        {"Каждый вторник поливать цветы",
         "«Поливать цветы» Входящие 16.06.26 23:59 FREQ=WEEKLY;BYDAY=TU",
         "Добавил задачу «Поливать цветы» в папку «Входящие» на 16.06.2026, повторять по "
         "вторникам."},
        {"Добавь в Дом починить кран в субботу", "«Починить кран» Дом 13.06.26 23:59"},
        {"Послезавтра утром сдать анализы", "«Сдать анализы» Входящие 12.06.26 09:00"},
        {"Ежедневно пить витамины в 8", "«Пить витамины» Входящие 11.06.26 08:00 FREQ=DAILY"},
        {"Удали задачу про кран", "«Починить кран» Дом 13.06.26 23:59 deleted",
         "Удалил задачу «Починить кран»."},
        {"Срочно ответить бухгалтеру до конца дня",
         "«Ответить бухгалтеру» Входящие 10.06.26 23:59 HIGH",
         "Добавил важную задачу «Ответить бухгалтеру» в папку «Входящие» на сегодня."},
        {"В пятницу в половине седьмого вечера кино", "«Кино» Входящие 12.06.26 18:30"},
        {"Каждые три дня менять воду", "«Менять воду» Входящие FREQ=DAILY;INTERVAL=3",
         "Добавил задачу «Менять воду» в папку «Входящие», повторять каждые 3 дня."},
        {"Добавь в Спорт пробежку каждое утро в 7", "«Пробежку» Спорт 11.06.26 07:00 FREQ=DAILY"},
        // Folders in every form, and the folder made on the way.
        {"Работа: подготовить отчёт к 19:30", "«Подготовить отчёт» Работа 10.06.26 19:30"},
        {"запиши в папку личные дела купить цветы маме", "«Купить цветы маме» Личные дела"},
        {"Пропылесосить ковёр в доме завтра вечером", // where, not which folder
         "«Пропылесосить ковёр в доме» Входящие 11.06.26 19:00"},
        {"добавь в папку Хобби рисовать",
         "? Не нашёл папку «Хобби». В какую папку добавить задачу?"},
        {"создай папку Учёба и добавь туда выучить билеты до 5 числа",
         "«Выучить билеты» Учёба 05.07.26 23:59",
         "Создал папку «Учёба». Добавил задачу «Выучить билеты» в папку «Учёба» на 05.07.2026."},
        {"создай папку Дача", "= Создал папку «Дача»."},
        // Days and clock times.
        {"Отправить декларацию 5 марта", "«Отправить декларацию» Входящие 05.03.27 23:59"},
        {"Оплатить интернет 15-го", "«Оплатить интернет» Входящие 15.06.26 23:59"},
        {"Купить билеты на 29 февраля", "«Купить билеты» Входящие 29.02.28 23:59"},
        {"Встреча «Итоги квартала» 7 июля в 11:30",
         "«Встреча «Итоги квартала»» Входящие 07.07.26 11:30"},
        {"через 2 часа вынуть пирог", "«Вынуть пирог» Входящие 10.06.26 12:00"},
        {"Через двадцать пять минут выключить духовку",
         "«Выключить духовку» Входящие 10.06.26 10:25"},
        {"напомни мне через полчаса проверить почту", "«Проверить почту» Входящие 10.06.26 10:30"},
        {"через неделю вернуть книгу", "«Вернуть книгу» Входящие 17.06.26 23:59"},
        {"в следующую среду стрижка", "«Стрижка» Входящие 17.06.26 23:59"},
        {"в эту пятницу созвон с Олегом в 7 вечера", "«Созвон с Олегом» Входящие 12.06.26 19:00"},
        {"во вторник в полдень обед с Аней", "«Обед с Аней» Входящие 16.06.26 12:00"},
        {"Завтра днём забрать посылку", "«Забрать посылку» Входящие 11.06.26 13:00"},
        {"в половине первого ночи выключить роутер", "«Выключить роутер» Входящие 11.06.26 00:30"},
        {"через 2 дня в 10 утра техосмотр", "«Техосмотр» Входящие 12.06.26 10:00"},
        // Repetition.
        {"по будням в 9:15 стендап",
         "«Стендап» Входящие 11.06.26 09:15 FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR"},
        {"по понедельникам и четвергам бассейн",
         "«Бассейн» Входящие 11.06.26 23:59 FREQ=WEEKLY;BYDAY=MO,TH"},
        {"каждый месяц 10 числа платить за квартиру",
         "«Платить за квартиру» Входящие 10.06.26 23:59 FREQ=MONTHLY;BYMONTHDAY=10",
         "Добавил задачу «Платить за квартиру» в папку «Входящие» на сегодня, повторять "
         "каждый месяц, 10-го числа."},
        {"каждые 2 недели менять фильтр", "«Менять фильтр» Входящие FREQ=WEEKLY;INTERVAL=2"},
        {"ежегодно 12 апреля поздравить Юру",
         "«Поздравить Юру» Входящие 12.04.27 23:59 FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=12"},
        // Priority.
        {"Купить подарок Маше, не срочно", "«Купить подарок Маше» Входящие LOW"},
        {"Важно: продлить паспорт до конца недели",
         "«Продлить паспорт» Входящие 14.06.26 23:59 HIGH"},
        {"отчет очень важно", "«Подготовить отчёт» Работа 10.06.26 19:30 HIGH",
         "Отметил задачу «Подготовить отчёт» как важную."},
        // Finding tasks to change.
        {"перенеси отчёт на послезавтра в 12:00", "«Подготовить отчёт» Работа 12.06.26 12:00 HIGH",
         "Перенёс задачу «Подготовить отчёт» на 12.06.2026 в 12:00."},
        {"перенеси кино в папку Дом", "«Кино» Дом 12.06.26 18:30",
         "Перенёс задачу «Кино» в папку «Дом»."},
        {"выполнил задачу про анализы", "«Сдать анализы» Входящие 12.06.26 09:00 done"},
        {"отметь витамины выполненной", "«Пить витамины» Входящие 11.06.26 08:00 FREQ=DAILY done"},
        {"удали звонок", "? Не нашёл задачу «звонок». Как она называется?"},
        {"позвонить Ивану в Работу", "«Позвонить Ивану» Работа"},
        {"Позвонить маме сегодня в 7 вечера", "«Позвонить маме» Входящие 10.06.26 19:00"},
        {"Удали задачу позвонить",
         "? Нашёл несколько задач: «Позвонить Ивану», «Позвонить маме». Какую из них?"},
        {"перенеси отчёт", "? На когда перенести «отчёт»?"},
        {"", "? Не понял. Скажи, например, «купить молоко завтра» или «что у меня на сегодня?»"},
        // Questions.
        {"что у меня на послезавтра?",
         "= На 12.06.2026 4 задачи: «Техосмотр», «Подготовить отчёт», «Кино», «Созвон с "
         "Олегом»."},
        {"что в Работе", "= В папке «Работа» 2 задачи: «Подготовить отчёт», «Позвонить Ивану»."},
    };
    for (const auto& row : conversation) {
        const QList<TaskItem> before = store.tasks(user);
        const ApplyResult result =
            assistant.apply(user, QString::fromUtf8(row.said), SourceKind::text);
        EXPECT_EQ(outcome(result), QString::fromUtf8(row.outcome)) << row.said;
        EXPECT_EQ(result.answer, row.answer ? QString::fromUtf8(row.answer) : result.answer)
            << row.said;
        EXPECT_TRUE(!result.needsClarification || store.tasks(user) == before) << row.said;
    }
}

} // namespace
