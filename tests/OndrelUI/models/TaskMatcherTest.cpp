#include "OndrelUI/models/TaskMatcher.h"
#include "OndrelUI/models/TaskFacts.h"
#include "support/QtPrinters.h"

#include "TaskFactory.h"

#include <gtest/gtest.h>

namespace {

// What a search finds: every word somewhere in the title, description or tags, whatever the
// case and whichever of "ё" and "е" is typed or stored.
TEST(TaskMatcher, Every_word_is_found_in_title_description_or_tags_ignoring_case_and_yo) {
    TaskItem task = makeTask(QStringLiteral("t1"));
    task.title = QStringLiteral("Купить ЁЛКУ");
    task.body = QStringLiteral("Зелёную, до Нового года");
    task.tags = {QStringLiteral("Дом"), QStringLiteral("праздник")};
    const struct {
        const char* query;
        bool matches;
        const char* titleMarked;
    } cases[] = {
        {"", true, "Купить ЁЛКУ"},
        {"елку", true, "Купить <b><u>ЁЛКУ</u></b>"},
        {"КУП", true, "<b><u>Куп</u></b>ить ЁЛКУ"},
        {"зеленую", true, "Купить ЁЛКУ"}, // the description, "ё" stored
        {"#дом", true, "Купить ЁЛКУ"},    // a tag as the card shows it
        {"праздник ёлку", true, "Купить <b><u>ЁЛКУ</u></b>"},
        {"ёлку торт", false, "Купить <b><u>ЁЛКУ</u></b>"}, // every word must be found
        {"купитьелку", false, "Купить ЁЛКУ"},
        {"года\nдом", true, "Купить ЁЛКУ"},
        {"<b>", false, "Купить ЁЛКУ"},
    };
    for (const auto& c : cases) {
        const TaskMatcher matcher(QString::fromUtf8(c.query));
        EXPECT_EQ(matcher.matches(task), c.matches) << c.query;
        EXPECT_EQ(matcher.matchesFolded(TaskMatcher::searchText(task)), c.matches) << c.query;
        EXPECT_EQ(matcher.marked(task.title), QString::fromUtf8(c.titleMarked)) << c.query;
    }
    EXPECT_EQ(TaskMatcher(QStringLiteral("b")).marked(QStringLiteral("a<b>")),
              QStringLiteral("a&lt;<b><u>b</u></b>&gt;"));
}

// The card as one line for a screen reader.
TEST(TaskMatcher, Spoken_card_names_title_state_deadline_and_priority) {
    const QTimeZone moscow("Europe/Moscow");
    const Instant december1 = Instant::fromMSecsSinceEpoch(1'764'583'200'000); // 2025-12-01
    TaskItem task = makeTask(QStringLiteral("t1"));
    task.title = QStringLiteral("Купить молоко");
    task.priority = Priority::high;
    task.hasDeadline = true;
    task.dueDate = Instant::fromMSecsSinceEpoch(1'765'183'200'000);
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, december1),
              QStringLiteral("Купить молоко, не выполнена, срок 8 декабря, высокий приоритет"));
    task.status = TaskStatus::done;
    task.priority = Priority::none;
    task.checklist = QList<ChecklistItem>{{"c1", "Молоко", true}, {"c2", "Хлеб", false}};
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, Instant::fromMSecsSinceEpoch(1'800'000'000'000)),
              QStringLiteral("Купить молоко, выполнена, срок 8 декабря 2025 г., пунктов "
                             "выполнено 1 из 2"));
    task.status = TaskStatus::todo;
    task.hasDeadline = false;
    EXPECT_EQ(TaskFacts::spokenText(task, moscow, december1),
              QStringLiteral("Купить молоко, не выполнена, без срока, пунктов выполнено 1 из 2"));
}

} // namespace
