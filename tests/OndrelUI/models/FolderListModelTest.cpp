#include "OndrelUI/models/FolderListModel.h"
#include "support/QtPrinters.h"

#include "ModelSignalLog.h"
#include "TaskFactory.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace {

// A selection change touches the row that loses it and the one that gains it, nothing else.
TEST(FolderListModel, Selection_change_touches_only_the_two_rows) {
    FolderListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Folder work = makeFolder("f2", QStringLiteral("Работа"));
    work.emoji = QString::fromUtf8("💼");
    model.setFolders({makeFolder("f1", QStringLiteral("Входящие")), work,
                      makeFolder("f3", QStringLiteral("Дом"))});
    ModelSignalLog log(&model);
    EXPECT_EQ(model.index(1).data(FolderListModel::LabelRole).toString(),
              QString::fromUtf8("💼 Работа"));

    model.setSelectedId(QStringLiteral("f1"));
    model.setSelectedId(QStringLiteral("f3"));
    ASSERT_EQ(log.dataChanges.size(), 3); // f1 gains; f1 loses, f3 gains
    EXPECT_EQ(log.dataChanges[2][0].toModelIndex().row(), 2);
    EXPECT_FALSE(model.index(0).data(FolderListModel::IsSelectedRole).toBool());
    EXPECT_TRUE(model.index(2).data(FolderListModel::IsSelectedRole).toBool());

    model.setSelectedId(QStringLiteral("f3"));
    model.setSelectedId(QStringLiteral("gone")); // not in the list: only f3 loses it
    EXPECT_EQ(log.dataChanges.size(), 4);
    EXPECT_EQ(model.selectedRow(), -1);
    EXPECT_FALSE(model.setFolders(model.folders()));
    EXPECT_EQ(log.structural(), 0);
    model.setFolders({makeFolder("gone", QStringLiteral("Снова здесь"))});
    EXPECT_EQ(model.selectedRow(), 0);
}

} // namespace
