#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/QtPrinters.h"

#include "ManualTransport.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/WaitUntil.h"

namespace {

// Overlapping actions whose answers arrive in the opposite order from their requests.
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

// A superseded load is dropped, its list and its failure alike.
TEST_F(LoadOrderTest, A_slow_answer_for_the_previous_folder_never_replaces_the_current_list) {
    auto first = vm.select(QStringLiteral("f1"));
    auto second = vm.select(QStringLiteral("f2"));
    auto stale = vm.loadFolders();
    auto current = vm.loadFolders();
    awaitRequests(4);
    answer(1, QList<TaskItem>{makeTask("from-f2")});
    wait(std::move(second));
    answer(0, QList<TaskItem>{makeTask("from-f1")});
    wait(std::move(first));
    answer(3, QList<Folder>{makeFolder("f2", QStringLiteral("Дом"))});
    wait(std::move(current));
    transport->answer(2, 500, "stale");
    wait(std::move(stale));
    EXPECT_EQ(vm.tasks(), QList<TaskItem>{makeTask("from-f2")});
    EXPECT_FALSE(vm.errorText());
}

// A failed delete puts its task back only while the folder it left is still the one listed.
TEST_F(LoadOrderTest, A_failed_delete_puts_the_task_back_only_into_its_own_folder) {
    auto load = vm.select(QStringLiteral("f1"));
    awaitRequests(1);
    answer(0, QList<TaskItem>{makeTask("a"), makeTask("b")});
    wait(std::move(load));
    auto deleting = vm.deleteTask(makeTask("a"));
    awaitRequests(2);
    auto other = vm.select(QStringLiteral("f2"));
    awaitRequests(3);
    answer(2, QList<TaskItem>{makeTask("x")});
    wait(std::move(other));
    transport->answer(1, 500, "nope");
    wait(std::move(deleting));
    EXPECT_EQ(vm.tasks(), QList<TaskItem>{makeTask("x")});
}

} // namespace
