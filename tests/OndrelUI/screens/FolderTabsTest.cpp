#include "OndrelUI/models/FolderListModel.h"

#include "TaskFactory.h"
#include "support/QtPrinters.h"
#include "support/ScreenHarness.h"
#include "support/WaitUntil.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class FolderTabsTest : public testing::Test {
protected:
    FolderTabsTest() {
        Folder inbox = makeFolder("inbox", QStringLiteral("Входящие"));
        inbox.isSystem = true;
        inbox.emoji = QString::fromUtf8("📥");
        folders.setFolders({inbox, makeFolder("home", QStringLiteral("Дом"))});
        folders.setSelectedId(QStringLiteral("inbox"));
        harness = std::make_unique<ScreenHarness>(
            QStringLiteral("FolderTabsView.qml"),
            QVariantMap{{"folders", QVariant::fromValue(&folders)}}, QSize(480, 60));
    }

    FolderListModel folders;
    std::unique_ptr<ScreenHarness> harness;
};

TEST_F(FolderTabsTest, Tabs_select_add_and_offer_delete_only_for_user_folders) {
    ScreenHarness& screen = *harness;
    QSignalSpy selected(screen.root(), SIGNAL(select(QString)));
    QSignalSpy added(screen.root(), SIGNAL(add()));
    QSignalSpy deleted(screen.root(), SIGNAL(delete_(QString)));

    screen.click(screen.item("tab:home"));
    EXPECT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.value(0).value(0).toString(), QStringLiteral("home"));
    screen.click(screen.item("addFolderButton"));
    EXPECT_EQ(added.size(), 1);

    screen.click(screen.item("tab:inbox"), Qt::RightButton);
    EXPECT_EQ(screen.find("folderMenu"), nullptr);
    screen.click(screen.item("tab:home"), Qt::RightButton);
    ASSERT_NE(screen.find("folderMenu"), nullptr);
    screen.click(screen.itemWithText(QStringLiteral("Удалить папку")));
    EXPECT_EQ(deleted.value(0).value(0).toString(), QStringLiteral("home"));

    // The highlight follows the selection.
    QQuickItem* highlight = screen.item("tabHighlight");
    folders.setSelectedId(QStringLiteral("home"));
    EXPECT_TRUE(
        waitUntil([&] { return qAbs(highlight->x() - screen.item("tab:home")->x()) < 0.5; }));
    EXPECT_EQ(screen.warnings(), QStringList());
}

} // namespace
