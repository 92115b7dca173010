#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/QtPrinters.h"

#include "ManualTransport.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/WaitUntil.h"

namespace {

// Overlapping loads whose answers arrive in the opposite order from their requests.
class LoadOrderTest : public SessionFixture<ManualTransport> {
protected:
    // The client may build its request on a later turn of the event loop.
    void awaitRequests(qsizetype count) {
        ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == count; }));
    }
    template <class T>
    void answer(qsizetype request, const T& value) {
        transport->answer(request, 200, ODJSON::encoder().encode(value));
    }

    AppViewModel vm{&session};
};

TEST_F(LoadOrderTest, A_slow_answer_for_the_previous_folder_never_replaces_the_current_list) {
    auto first = vm.select(QStringLiteral("f1"));
    auto second = vm.select(QStringLiteral("f2"));
    awaitRequests(2);
    answer(1, QList<TaskItem>{makeTask("from-f2")});
    answer(0, QList<TaskItem>{makeTask("from-f1")});
    wait(std::move(first));
    wait(std::move(second));
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, QStringLiteral("from-f2"));
}

// A delete that fails after other changes puts back its own task and keeps those changes; once
// another folder's tasks are shown it puts back nothing.
TEST_F(LoadOrderTest, A_failed_delete_restores_only_its_task_and_only_to_its_folder) {
    auto loading = vm.select(QStringLiteral("f1"));
    awaitRequests(1);
    answer(0, QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(std::move(loading));

    auto deleting = vm.deleteTask(vm.tasks()[0]);
    TaskItem b = vm.tasks()[0];
    auto toggling = vm.toggleDone(b);
    awaitRequests(3);
    b.status = TaskStatus::done;
    b.title = QStringLiteral("изменено тем временем");
    answer(2, b);
    wait(std::move(toggling));
    transport->answer(1, 500, "nope");
    wait(std::move(deleting));
    EXPECT_EQ(vm.tasks(), (QList<TaskItem>{makeTask("a"), b}));
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 500: nope"));

    deleting = vm.deleteTask(vm.tasks()[0]);
    auto switching = vm.select(QStringLiteral("f2"));
    awaitRequests(5);
    answer(4, QList<TaskItem>{makeTask("x")});
    wait(std::move(switching));
    transport->answer(3, 403, "forbidden");
    wait(std::move(deleting));
    EXPECT_EQ(vm.tasks(), QList<TaskItem>{makeTask("x")});
    EXPECT_EQ(vm.errorText(), QStringLiteral("Ошибка 403: forbidden"));
}

TEST_F(LoadOrderTest, A_superseded_load_that_fails_reports_nothing) {
    auto first = vm.loadFolders();
    auto second = vm.loadFolders();
    awaitRequests(2);
    answer(1, QList<Folder>{makeFolder("f1", QStringLiteral("Входящие"))});
    transport->answer(0, 500, "stale");
    wait(std::move(first));
    wait(std::move(second));
    EXPECT_FALSE(vm.errorText());
    EXPECT_EQ(vm.folders().size(), 1);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
}

TEST_F(LoadOrderTest, Loads_in_request_order_both_apply_in_turn) {
    auto first = vm.loadTasks();
    awaitRequests(1);
    answer(0, QList<TaskItem>{makeTask("a")});
    wait(std::move(first));
    auto second = vm.loadTasks();
    awaitRequests(2);
    answer(1, QList<TaskItem>{makeTask("b")});
    wait(std::move(second));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, QStringLiteral("b"));
}

} // namespace
