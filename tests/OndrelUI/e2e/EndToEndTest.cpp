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

#include <memory>

namespace {

// The view model against the real local service on loopback, through the real transport.
class EndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        ServiceRouter::Settings options;
        options.auth.seed = false; // an account with its inbox only
        server = std::make_unique<LocalServer>(store, options);
        const quint16 port = server->listenOnLoopback(0);
        ASSERT_NE(port, 0);
        baseURL = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
        session = std::make_unique<AuthSession>(baseURL, transport, &settings);
    }

    const Folder* folderNamed(const AppViewModel& vm, const QString& name) {
        for (const Folder& folder : vm.folders())
            if (folder.name == name)
                return &folder;
        return nullptr;
    }

    ServiceStore store;
    std::unique_ptr<LocalServer> server;
    QUrl baseURL;
    std::shared_ptr<HTTPTransport> transport = std::make_shared<NetworkTransport>();
    QTemporaryDir directory;
    QSettings settings{directory.filePath(QStringLiteral("tokens.ini")), QSettings::IniFormat};
    std::unique_ptr<AuthSession> session;
};

TEST_F(EndToEndTest, Capture_toggle_edit_move_and_delete_the_folder) {
    const AuthResponse pair =
        awaitTask(APIClient(baseURL, transport).loginYandex(QStringLiteral("yandex-token")));
    session->set(pair.accessToken, pair.refreshToken);
    AppViewModel vm(session.get());

    awaitTask(vm.loadFolders());
    awaitTask(vm.loadTasks());
    ASSERT_EQ(vm.folders().size(), 1) << vm.errorText().value_or("").toStdString();
    const QString inbox = vm.folders()[0].id;
    EXPECT_EQ(vm.selectedFolderId(), inbox);
    EXPECT_TRUE(vm.tasks().isEmpty());

    awaitTask(vm.send(QStringLiteral("купить молоко завтра")));
    ASSERT_FALSE(vm.errorText()) << vm.errorText()->toStdString();
    EXPECT_TRUE(vm.assistantAnswer());
    EXPECT_FALSE(vm.isBusy());
    ASSERT_EQ(vm.tasks().size(), 1);
    const TaskItem created = vm.tasks()[0];
    EXPECT_TRUE(created.title.contains(QStringLiteral("молоко"), Qt::CaseInsensitive));
    EXPECT_EQ(created.folderId, inbox);

    awaitTask(vm.toggleDone(created));
    ASSERT_FALSE(vm.errorText()) << vm.errorText()->toStdString();
    EXPECT_EQ(vm.tasks()[0].status, TaskStatus::done);
    EXPECT_TRUE(vm.tasks()[0].completedAt);
    EXPECT_EQ(vm.doneTasks().size(), 1);

    awaitTask(vm.updateTask(created.id, QStringLiteral("Купить молоко и хлеб"),
                            QStringLiteral("два литра"), TaskStatus::todo, Priority::high, inbox,
                            std::nullopt, false));
    ASSERT_FALSE(vm.errorText()) << vm.errorText()->toStdString();
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].title, QStringLiteral("Купить молоко и хлеб"));
    EXPECT_EQ(vm.tasks()[0].body, QStringLiteral("два литра"));
    EXPECT_EQ(vm.tasks()[0].priority, Priority::high);
    EXPECT_EQ(vm.tasks()[0].status, TaskStatus::todo);
    EXPECT_EQ(vm.activeTasks().size(), 1);

    awaitTask(vm.createFolder(QStringLiteral("  Покупки ")));
    const Folder* shopping = folderNamed(vm, QStringLiteral("Покупки"));
    ASSERT_TRUE(shopping) << vm.errorText().value_or("").toStdString();
    const Folder shoppingFolder = *shopping;
    EXPECT_EQ(vm.selectedFolderId(), inbox);

    awaitTask(vm.updateTask(created.id, vm.tasks()[0].title, vm.tasks()[0].body, TaskStatus::todo,
                            Priority::high, shoppingFolder.id, std::nullopt, false));
    EXPECT_TRUE(vm.tasks().isEmpty()); // it left the inbox
    awaitTask(vm.select(shoppingFolder.id));
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, created.id);

    awaitTask(vm.deleteFolder(shoppingFolder, inbox, false));
    ASSERT_FALSE(vm.errorText()) << vm.errorText()->toStdString();
    EXPECT_EQ(vm.folders().size(), 1);
    EXPECT_EQ(vm.selectedFolderId(), inbox);
    ASSERT_EQ(vm.tasks().size(), 1);
    EXPECT_EQ(vm.tasks()[0].id, created.id);
    EXPECT_EQ(vm.tasks()[0].folderId, inbox);
}

} // namespace
