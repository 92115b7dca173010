#include "OndrelCore/json/ODJSON.h"
#include "TaskFactory.h"
#include "support/GateScene.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QAccessible>

#include <gtest/gtest.h>

namespace {

// The alert a screen reader finds shown in the accessible tree, empty for none. (Off screen, Qt
// 6.4 has no platform bridge, so the show and name events never leave QAccessible.)
QString shownAlert(QAccessibleInterface* node, int depth = 0) {
    if (!node || !node->isValid() || node->state().invisible || depth > 80)
        return {};
    if (node->role() == QAccessible::AlertMessage)
        return node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        if (QString text = shownAlert(node->child(i), depth + 1); !text.isEmpty())
            return text;
    return {};
}

HTTPResponse service(const HTTPRequest& request) {
    const QList<TaskItem> tasks{makeTask("t1"), makeTask("t2", TaskStatus::done)};
    const QByteArray body =
        request.url.path() == u"/folders"
            ? ODJSON::encoder().encode(QList<Folder>{makeFolder("f1", QStringLiteral("Дом"))})
        : request.url.path() == u"/tasks" ? ODJSON::encoder().encode(tasks)
        : request.url.path() == u"/captures"
            ? QByteArray("[]")
            : ODJSON::encoder().encode(applyResult(QStringLiteral("Готово: добавил.")));
    return {body, 200};
}

// A screen reader hears the recording start and a new answer, which show as alerts. (Legibility
// and every control's name and role are checked over every screenshot, by ScreenAudit.)
TEST(AppearanceAccessibility, Recording_and_a_new_answer_are_announced) {
    QAccessible::setActive(true);
    GateScene scene(true, service);
    ScreenHarness& screen = scene.screen();
    ASSERT_TRUE(waitUntil([&] { return scene.vm() && scene.vm()->taskCount() == 2; }));
    const auto alert = [&] {
        return shownAlert(QAccessible::queryAccessibleInterface(&screen.window()));
    };
    EXPECT_EQ(alert(), QString());
    screen.click(screen.item("micButton"));
    EXPECT_EQ(alert(), QStringLiteral("Идёт запись"));
    scene.vm()->sendText(QStringLiteral("купить молоко"));
    EXPECT_TRUE(waitUntil([&] { return alert() == QStringLiteral("Готово: добавил."); }))
        << alert().toStdString();
    scene.recorder().stopRecording();
    EXPECT_TRUE(waitUntil([&] { return alert() == QStringLiteral("Запись остановлена"); }))
        << alert().toStdString();
    // The reload after the answer ends before the scene does.
    EXPECT_TRUE(waitUntil([&] { return !scene.vm()->isBusy(); }));
}

} // namespace
