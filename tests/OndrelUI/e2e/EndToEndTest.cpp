#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelLocalService/http/LocalServer.h"
#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelUI/session/AuthSession.h"
#include "support/AwaitTask.h"
#include "support/QtPrinters.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The view model against the real local service on loopback, through the real transport: a
// spoken task is captured, done, edited into a new folder, and comes back to the inbox when
// that folder goes.
TEST(EndToEndTest, Capture_toggle_edit_into_a_folder_and_delete_it) {
    ServiceStore store;
    ServiceRouter::Settings options;
    options.auth.seed = false; // an account with its inbox only
    LocalServer server(store, options);
    const QUrl baseURL(QStringLiteral("http://127.0.0.1:%1").arg(server.listenOnLoopback(0)));
    const auto transport = std::make_shared<NetworkTransport>();
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat);
    AuthSession session(baseURL, transport, &settings);
    const AuthResponse pair =
        awaitTask(APIClient(baseURL, transport).loginYandex(QStringLiteral("yandex-token")));
    session.set(pair.accessToken, pair.refreshToken);
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

} // namespace
