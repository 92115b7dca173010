#include "reminders/ReminderFixture.h"

namespace {

// "Хлеб" is due at 13:00 in folder f1, and the reminder is on the screen.
class ReminderActionsTest : public ReminderFixture {
protected:
    void SetUp() override {
        serverTasks = {dueTask(QStringLiteral("a"), QStringLiteral("Хлеб"), 60)};
        launch();
        advanceTo(60);
        ASSERT_EQ(server->log, QStringList{QStringLiteral("notify Хлеб | Сегодня в 13:00")});
    }
    void click(const QString& action) {
        server->invoke(QStringLiteral("Хлеб"), action);
        settle();
    }
};

TEST_F(ReminderActionsTest, CompleteGoesThroughTheViewModelLikeTheCard) {
    EXPECT_EQ(server->lastHints.value(QStringLiteral("desktop-entry")), QStringLiteral("ondrel"));
    EXPECT_EQ(server->lastHints.value(QStringLiteral("resident")), true);
    EXPECT_EQ(server->lastHints.value(QStringLiteral("urgency")).userType(), QMetaType::UChar);
    EXPECT_EQ(server->lastActions, (QStringList{"complete", "Выполнить", "snooze", "Через 10 минут",
                                                "default", "Открыть"}));
    wait(viewModel.select(QStringLiteral("f1")));
    newRequests();

    click(QStringLiteral("complete"));
    ASSERT_TRUE(waitUntil([&] { return viewModel.tasks().value(0).status == TaskStatus::done; }));
    // The planner's own readings of the list may come in between.
    EXPECT_TRUE(newRequests().contains(QStringLiteral("POST /tasks/a/complete")));
    EXPECT_EQ(server->log.value(1), QStringLiteral("close Хлеб"));
    advanceTo(24 * 60);
    EXPECT_EQ(server->log.size(), 2);
}

// A snoozed notice comes back ten minutes later, and completes its task though the window
// shows another folder.
TEST_F(ReminderActionsTest, SnoozeFiresAgainAndCompleteReachesAnotherFolder) {
    click(QStringLiteral("snooze"));
    advanceTo(69);
    EXPECT_EQ(server->log.size(), 2); // the notice, closed
    advanceTo(70);
    EXPECT_EQ(server->log, (QStringList{"notify Хлеб | Сегодня в 13:00", "close Хлеб",
                                        "notify Хлеб | Сегодня в 13:00"}));
    click(QStringLiteral("complete"));
    ASSERT_TRUE(waitUntil([&] { return serverTasks[0].status == TaskStatus::done; }));
    EXPECT_EQ(viewModel.errorText(), std::nullopt);
}

TEST_F(ReminderActionsTest, ClickRaisesTheWindowAndOpensTheEditSheetInItsFolder) {
    wait(viewModel.select(QStringLiteral("f2")));
    QSignalSpy raised(planner.get(), &ReminderPlanner::windowRequested);
    QSignalSpy edit(&viewModel, &AppViewModel::editRequested);
    click(QStringLiteral("default"));
    ASSERT_TRUE(waitUntil([&] { return edit.size() == 1; }));
    EXPECT_EQ(raised.size(), 1);
    EXPECT_EQ(edit[0][0], QStringLiteral("a"));
    EXPECT_EQ(viewModel.selectedFolderId(), QStringLiteral("f1"));
}

} // namespace
