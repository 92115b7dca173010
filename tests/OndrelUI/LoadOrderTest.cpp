#include "OndrelUI/AppViewModel.h"
#include "support/QtPrinters.h"

#include "ManualTransport.h"
#include "OndrelCore/ODJSON.h"
#include "OndrelUI/AuthSession.h"
#include "TaskFactory.h"
#include "support/AwaitTask.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Overlapping loads whose answers arrive in the opposite order from their requests.
class LoadOrderTest : public testing::Test {
protected:
    LoadOrderTest() { session.set(QStringLiteral("access"), QStringLiteral("refresh")); }

    // The client may build its request on a later turn of the event loop.
    void awaitRequests(qsizetype count) {
        QDeadlineTimer deadline(5000);
        while (transport->requests().size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(transport->requests().size(), count);
    }

    template <class T>
    void answer(qsizetype request, const T& value) {
        transport->answer(request, 200, ODJSON::encoder().encode(value));
    }

    std::shared_ptr<ManualTransport> transport = std::make_shared<ManualTransport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    AuthSession session{QUrl(QStringLiteral("http://service.test")), transport, &settings};
    AppViewModel vm{&session};
};

TEST_F(LoadOrderTest, A_slow_answer_for_the_previous_folder_never_replaces_the_current_list) {
    auto first = vm.select(QStringLiteral("f1"));
    auto second = vm.select(QStringLiteral("f2"));
    awaitRequests(2);
    answer(1, QList<TaskItem>{makeTask("from-f2")});
    answer(0, QList<TaskItem>{makeTask("from-f1")});
    awaitTask(std::move(first));
    awaitTask(std::move(second));
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f2"));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, QStringLiteral("from-f2"));
}

TEST_F(LoadOrderTest, A_superseded_load_that_fails_reports_nothing) {
    auto first = vm.loadFolders();
    auto second = vm.loadFolders();
    awaitRequests(2);
    answer(1, QList<Folder>{makeFolder("f1", QStringLiteral("Входящие"))});
    transport->answer(0, 500, "stale");
    awaitTask(std::move(first));
    awaitTask(std::move(second));
    EXPECT_FALSE(vm.errorText());
    EXPECT_EQ(vm.folders().size(), 1);
    EXPECT_EQ(vm.selectedFolderId(), QStringLiteral("f1"));
}

TEST_F(LoadOrderTest, Loads_in_request_order_both_apply_in_turn) {
    auto first = vm.loadTasks();
    awaitRequests(1);
    answer(0, QList<TaskItem>{makeTask("a")});
    awaitTask(std::move(first));
    auto second = vm.loadTasks();
    awaitRequests(2);
    answer(1, QList<TaskItem>{makeTask("b")});
    awaitTask(std::move(second));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, QStringLiteral("b"));
}

} // namespace
