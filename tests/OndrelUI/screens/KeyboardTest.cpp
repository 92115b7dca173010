#include "RootScreenFixture.h"

#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "support/QtPrinters.h"

#include <QQuickWindow>

#include <gtest/gtest.h>

namespace {

// Every action of the root screen from the keyboard alone.
using KeyboardTest = RootScreenFixture;

const QList<Folder> threeFolders{makeFolder("f1", QStringLiteral("Входящие")),
                                 makeFolder("f2", QStringLiteral("Дом")),
                                 makeFolder("f3", QStringLiteral("Работа"))};

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
        const qsizetype before = transport->requests().size();
        screen->press(s.key, s.modifiers);
        waitUntil([&] { return transport->requests().size() >= before + s.requests.size(); },
                  std::chrono::milliseconds(200));
        screen->settle();
        EXPECT_EQ(newRequests(), s.requests) << s.key;
    }

    screen->press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(shown("newFolderDialog"));
    screen->press(Qt::Key_H, Qt::ControlModifier); // a dialog keeps the window's keys to itself
    EXPECT_FALSE(shown("historySheet"));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("newFolderDialog"));

    screen->press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(screen->window().activeFocusItem(), screen->item("inputField"));

    screen->press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(recorder.isRecording());
    ASSERT_TRUE(waitUntil([&] { return recorder.level() > 0.1; }));
    transport->setHandler({});
    answer(CaptureProcessResponse{}, threeFolders, QList<TaskItem>{});
    screen->press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_TRUE(waitUntil([&] { return !vm.isBusy() && vm.assistantAnswer(); }));
    EXPECT_EQ(newRequests().value(0), QStringLiteral("POST /captures"));
    EXPECT_EQ(screen->warnings(), QStringList());
}

TEST_F(KeyboardTest, List_keys_move_past_the_header_complete_open_and_show_the_menu) {
    open(threeFolders, {makeTask("a"), makeTask("b"), makeTask("c", TaskStatus::done)});
    QQuickItem* list = screen->item("taskList");
    list->forceActiveFocus(); // as Tab brings it there
    screen->settle();
    EXPECT_TRUE(screen->item("card:a")->property("focused").toBool());
    const auto focusedCard = [&] {
        for (const char* id : {"card:a", "card:b", "card:c"})
            if (screen->item(id)->property("focused").toBool())
                return QString::fromLatin1(id);
        return QString();
    };
    screen->press(Qt::Key_Down);
    screen->press(Qt::Key_Down); // past the header
    EXPECT_EQ(focusedCard(), QStringLiteral("card:c"));
    screen->press(Qt::Key_Down);
    EXPECT_EQ(focusedCard(), QStringLiteral("card:c"));
    screen->press(Qt::Key_Up);
    EXPECT_EQ(focusedCard(), QStringLiteral("card:b"));

    answer(makeTask("b", TaskStatus::done));
    screen->press(Qt::Key_Space);
    EXPECT_TRUE(waitUntil([&] { return !newRequests().isEmpty(); }));
    EXPECT_EQ(transport->requests().last().url.path(), QStringLiteral("/tasks/b/complete"));

    screen->press(Qt::Key_Menu);
    EXPECT_TRUE(shown("cardMenu"));
    screen->press(Qt::Key_Escape);
    screen->press(Qt::Key_Return);
    EXPECT_TRUE(shown("taskEditSheet"));
    EXPECT_EQ(screen->item("titleField")->property("text").toString(), QStringLiteral("Задача b"));
    screen->press(Qt::Key_Escape);
    EXPECT_FALSE(shown("taskEditSheet"));
    EXPECT_EQ(newRequests(), QStringList());
    EXPECT_EQ(screen->warnings(), QStringList());
}

} // namespace
