#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureProcessResponse.h"

#include <QQuickWindow>

#include <gtest/gtest.h>

namespace {

// Every action of the root screen from the keyboard alone.
using KeyboardTest = RootScreenFixture;

TEST_F(KeyboardTest, Window_keys_switch_folders_reload_and_open_the_input_and_dialogs) {
    open(threeFolders, {});
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QStringList requests;
    } switches[] = {
        {Qt::Key_Tab, Qt::ControlModifier, {"GET /tasks?folderId=f2"}},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, {"GET /tasks?folderId=f1"}},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, {}}, // no wrapping round
        {Qt::Key_3, Qt::ControlModifier, {"GET /tasks?folderId=f3"}},
        {Qt::Key_9, Qt::ControlModifier, {}},
        {Qt::Key_F5, Qt::NoModifier, {"GET /folders", "GET /tasks?folderId=f3"}},
    };
    transport->setHandler([](const HTTPRequest& request) {
        return HTTPResponse{request.url.path() == u"/folders"
                                ? ODJSON::encoder().encode(threeFolders)
                                : QByteArray("[]"),
                            200};
    });
    for (const auto& s : switches) {
        screen->press(s.key, s.modifiers);
        EXPECT_EQ(sent(s.requests.size()), s.requests) << s.key;
    }

    screen->press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(shown("newFolderDialog"));
    screen->press(Qt::Key_H, Qt::ControlModifier); // a dialog keeps the window's keys to itself
    EXPECT_FALSE(shown("historySheet"));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("newFolderDialog"));

    screen->press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(screen->window().activeFocusItem(), item("inputField"));

    screen->press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(recorder.isRecording());
    ASSERT_TRUE(waitUntil([&] { return recorder.level() > 0.1; }));
    transport->setHandler({});
    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    screen->press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(sent(3).value(0), QStringLiteral("POST /captures"));
    EXPECT_TRUE(waitUntil([&] { return !vm.isBusy(); }));
}

TEST_F(KeyboardTest, List_keys_move_past_the_header_complete_open_and_show_the_menu) {
    open(threeFolders, {makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done)});
    item("taskList")->forceActiveFocus(); // as Tab brings it there
    screen->settle();
    const auto focusedCard = [&] {
        for (const char* id : {"card:a", "card:b", "card:c"})
            if (item(id)->property("focused").toBool())
                return QString::fromLatin1(id);
        return QString();
    };
    EXPECT_EQ(focusedCard(), QStringLiteral("card:a"));
    const struct {
        Qt::Key key;
        const char* focused;
    } moves[] = {{Qt::Key_Down, "card:b"},
                 {Qt::Key_Down, "card:c"}, // past the header
                 {Qt::Key_Down, "card:c"},
                 {Qt::Key_Up, "card:b"}};
    for (const auto& move : moves) {
        screen->press(move.key);
        EXPECT_EQ(focusedCard(), QString::fromLatin1(move.focused)) << move.key;
    }

    answer(makeTask("b", TaskStatus::done));
    screen->press(Qt::Key_Space);
    EXPECT_EQ(sent(1), QStringList{"POST /tasks/b/complete"});
    EXPECT_FALSE(shown("taskEditSheet"));

    screen->press(Qt::Key_Menu);
    EXPECT_TRUE(shown("cardMenu"));
    screen->press(Qt::Key_Escape);
    screen->press(Qt::Key_Return);
    EXPECT_EQ(text("titleField"), QStringLiteral("Задача b"));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("taskEditSheet"));
    EXPECT_EQ(newRequests(), QStringList());
}

} // namespace
