#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelLocalService/AacTone.h"
#include "OndrelLocalService/http/LocalServer.h"
#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelUI/session/AuthSession.h"
#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The real local service on loopback, through the real transport, signed in as a new account
// with its inbox only.
class LoopbackSession : public testing::Test {
protected:
    LoopbackSession() {
        const AuthResponse pair =
            awaitTask(APIClient(baseURL, transport).loginYandex(QStringLiteral("yandex-token")));
        session.set(pair.accessToken, pair.refreshToken);
    }

    ServiceStore store;
    const ServiceRouter::Settings options{.auth = {.seed = false}, .updates = {}};
    std::unique_ptr<LocalServer> server = std::make_unique<LocalServer>(store, options);
    const quint16 port = server->listenOnLoopback(0);
    const QUrl baseURL{QStringLiteral("http://127.0.0.1:%1").arg(port)};
    const std::shared_ptr<NetworkTransport> transport = std::make_shared<NetworkTransport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    AuthSession session{baseURL, transport, &settings};
};

using EndToEndTest = LoopbackSession;
using OfflineEndToEndTest = LoopbackSession;

// A spoken task is captured, done, edited into a new folder, and comes back to the inbox when
// that folder goes.
TEST_F(EndToEndTest, Capture_toggle_edit_into_a_folder_and_delete_it) {
    AppViewModel vm(&session);
    const auto succeeds = [&](QCoro::Task<void> step) {
        awaitTask(std::move(step));
        return !vm.errorText();
    };

    ASSERT_TRUE(succeeds(vm.loadFolders()) && succeeds(vm.loadTasks()));
    ASSERT_EQ(vm.folders().size(), 1);
    const QString inbox = vm.folders()[0].id;
    ASSERT_TRUE(succeeds(vm.send(QStringLiteral("купить молоко завтра"))));
    EXPECT_TRUE(vm.assistantAnswer());
    ASSERT_EQ(vm.tasks().size(), 1);
    const TaskItem created = vm.tasks()[0];
    EXPECT_TRUE(created.title.contains(QStringLiteral("молоко"), Qt::CaseInsensitive));
    EXPECT_EQ(created.folderId, inbox);

    ASSERT_TRUE(succeeds(vm.toggleDone(created)));
    EXPECT_EQ(vm.doneTasks().size(), 1);
    EXPECT_TRUE(vm.tasks()[0].completedAt);

    ASSERT_TRUE(succeeds(vm.createFolder(QStringLiteral("Покупки"))));
    ASSERT_EQ(vm.folders().size(), 2);
    const Folder shopping = vm.folders()[0].id == inbox ? vm.folders()[1] : vm.folders()[0];
    ASSERT_TRUE(succeeds(vm.updateTask(created.id, QStringLiteral("Купить молоко и хлеб"),
                                       QStringLiteral("два литра"), TaskStatus::todo,
                                       Priority::high, shopping.id, std::nullopt, false)));
    EXPECT_TRUE(vm.tasks().isEmpty()); // it left the inbox
    ASSERT_TRUE(succeeds(vm.select(shopping.id)));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(std::tuple(vm.tasks()[0].title, vm.tasks()[0].body, vm.tasks()[0].priority),
              std::tuple(QStringLiteral("Купить молоко и хлеб"),
                         std::optional(QStringLiteral("два литра")), Priority::high));

    ASSERT_TRUE(succeeds(vm.deleteFolder(shopping, inbox, false)));
    EXPECT_EQ(vm.selectedFolderId(), inbox);
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, created.id);
    EXPECT_EQ(vm.tasks()[0].folderId, inbox);
}

const TaskItem* titled(const QList<TaskItem>& tasks, const QString& part) {
    const auto found = std::find_if(tasks.begin(), tasks.end(), [&](const TaskItem& task) {
        return task.title.contains(part, Qt::CaseInsensitive);
    });
    return found == tasks.end() ? nullptr : &*found;
}

// The service stops in the middle of a session; every kind of change is made without it, the
// client is closed and opened again over the same file, the service comes back, and F5 sends
// everything in order: the service ends up holding each change exactly once.
TEST_F(OfflineEndToEndTest, Changes_made_without_the_service_reach_it_after_a_restart) {
    const QString replicaPath = directory.filePath(QStringLiteral("replica.sqlite"));
    const auto openViewModel = [&] {
        auto vm = std::make_unique<AppViewModel>(&session);
        vm->offline()->open(replicaPath, [&] { return session.client(); });
        return vm;
    };

    auto vm = openViewModel();
    awaitTask(vm->loadAll());
    for (const char* line : {"купить молоко", "позвонить маме", "полить цветы", "вынести мусор"})
        awaitTask(vm->send(QString::fromUtf8(line)));
    awaitTask(vm->createFolder(QStringLiteral("Работа")));
    ASSERT_EQ(vm->tasks().size(), 4);
    ASSERT_EQ(vm->folders().size(), 2);
    const QString inbox = vm->folders()[0].id;
    const Folder work = vm->folders()[1];
    const auto task = [&](const char* part) {
        return *titled(vm->tasks(), QString::fromUtf8(part));
    };
    const TaskItem milk = task("молоко"), mum = task("маме"), flowers = task("цветы"),
                   rubbish = task("мусор");

    server.reset(); // the service goes away
    awaitTask(vm->toggleDone(milk));
    EXPECT_NE(vm->offline()->connection()->line(), QString());
    awaitTask(vm->updateTask(mum.id, QStringLiteral("Позвонить маме вечером"), std::nullopt,
                             TaskStatus::todo, Priority::high, inbox, std::nullopt, false));
    awaitTask(vm->deleteTask(flowers));
    awaitTask(vm->deleteTask(rubbish));
    vm->offline()->undo()->undo(); // the rubbish stays: its deletion is withdrawn
    awaitTask(vm->createFolder(QStringLiteral("Дом")));
    // A reminder's "Выполнить" reaches a task of a folder not shown, and is queued too.
    awaitTask(vm->select(vm->folders().last().id));
    awaitTask(vm->complete(rubbish));
    awaitTask(vm->select(inbox));
    awaitTask(vm->deleteFolder(work, inbox, false));
    awaitTask(vm->send(QStringLiteral("купить хлеб")));
    awaitTask(vm->capture(sineM4a(1.0)));
    EXPECT_EQ(vm->errorText(), std::nullopt);
    EXPECT_EQ(vm->offline()->waitingCaptures(), 2);
    EXPECT_EQ(vm->offline()->pendingIds().size(), 6); // milk, mum, flowers, rubbish, Дом, Работа

    vm.reset(); // the client closes and starts again over the same file
    vm = openViewModel();
    awaitTask(vm->loadAll());
    QStringList names;
    for (const Folder& folder : vm->folders())
        names << folder.name;
    EXPECT_EQ(names, QStringList({QStringLiteral("Входящие"), QStringLiteral("Дом")}));
    EXPECT_EQ(task("молоко").status, TaskStatus::done);
    EXPECT_EQ(vm->offline()->waitingCaptures(), 2);

    server = std::make_unique<LocalServer>(store, options);
    ASSERT_EQ(server->listenOnLoopback(port), port);
    awaitTask(vm->loadAll()); // F5
    EXPECT_EQ(vm->offline()->replica()->queue().size(), 0);
    EXPECT_EQ(vm->offline()->connection()->line(), QString());
    EXPECT_EQ(vm->assistantAnswer(), QStringLiteral("Отправлено из очереди: 2"));

    const APIClient api = session.client();
    const QList<TaskItem> kept = awaitTask(api.listTasks());
    EXPECT_EQ(kept.size(), 5); // milk, mum, rubbish, bread, the recording's note
    EXPECT_EQ(titled(kept, QStringLiteral("молоко"))->status, TaskStatus::done);
    const TaskItem* evening = titled(kept, QStringLiteral("маме вечером"));
    ASSERT_TRUE(evening);
    EXPECT_EQ(evening->priority, Priority::high);
    EXPECT_FALSE(titled(kept, QStringLiteral("цветы")));
    const TaskItem* rubbishKept = titled(kept, QStringLiteral("мусор"));
    ASSERT_TRUE(rubbishKept);
    EXPECT_EQ(rubbishKept->status, TaskStatus::done);
    EXPECT_TRUE(titled(kept, QStringLiteral("хлеб")));
    QStringList serviceFolders;
    for (const Folder& folder : awaitTask(api.listFolders()))
        serviceFolders << folder.name;
    EXPECT_EQ(serviceFolders, QStringList({QStringLiteral("Входящие"), QStringLiteral("Дом")}));
}

} // namespace
