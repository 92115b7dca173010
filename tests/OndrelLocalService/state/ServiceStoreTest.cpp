#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelLocalService/services/AuthService.h"
#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/services/ServiceError.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const Instant frozen = Instant::fromMSecsSinceEpoch(1'780'000'000'000);

// Stamps are whole milliseconds (they survive the wire unchanged) and strictly increase even
// within one millisecond, so a change right after a pull is still after its cursor.
TEST(ServiceStore, StampsAreWholeMillisecondsAndStrictlyIncreasing) {
    ServiceStore store(std::nullopt,
                       [] { return Instant{frozen.time + std::chrono::microseconds(750)}; });
    const Instant first = store.stamp();
    const Instant second = store.stamp();
    const Instant cursor = store.serverTime();
    const Instant third = store.stamp();
    EXPECT_EQ(first, frozen);
    EXPECT_EQ(Instant::fromISO8601(first.toISO8601()), first);
    EXPECT_LT(first, second);
    EXPECT_LE(second, cursor);
    EXPECT_LT(cursor, third);
}

class DataFile : public testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("state.json")); }
    QTemporaryDir dir;
};

TEST_F(DataFile, RestartKeepsEverything) {
    ServiceState saved;
    {
        ServiceStore store{StateFile(path())};
        AuthService auth(store, {});
        auth.signInDemo();
        FolderService(store).create(QString::fromLatin1(AuthService::demoUserId),
                                    FolderCreateBody{.name = QStringLiteral("Дача")});
        saved = store.state();
    }
    ServiceStore reopened{StateFile(path())};
    EXPECT_EQ(reopened.state(), saved);
    EXPECT_GE(reopened.state().folders.size(), 2);
    EXPECT_EQ(reopened.state().accessTokens.size(), 1); // sessions survive a restart too
}

TEST_F(DataFile, ANewFileIsCreatedAtStartWithItsFolders) {
    const QString nested = dir.filePath(QStringLiteral("a/b/state.json"));
    ServiceStore store{StateFile(nested)};
    EXPECT_TRUE(QFile::exists(nested));
}

TEST_F(DataFile, ACorruptFileIsAnErrorAndIsLeftAlone) {
    const QList<QByteArray> corrupt{"{\"version\":1,\"users\":[", "[]", "{\"version\":2}",
                                    "{\"version\":1,\"users\":[],\"folders\":[{\"id\":1}]}"};
    for (const QByteArray& bytes : corrupt) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        EXPECT_THROW(ServiceStore{StateFile(path())}, std::runtime_error) << bytes.constData();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes);
    }
}

TEST_F(DataFile, AnUnreadableFileIsAnError) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("state.json"))); // a directory, not a file
    EXPECT_THROW(ServiceStore{StateFile(path())}, std::runtime_error);
}

TEST_F(DataFile, AChangeThatCannotBeSavedIsUndone) {
    const QString nested = dir.filePath(QStringLiteral("gone/state.json"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("gone")));
    ServiceStore store{StateFile(nested)};
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively());
    QFile blocker(dir.filePath(QStringLiteral("gone"))); // a file where the folder was
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ServiceState before = store.state();
    try {
        AuthService(store, {}).signInDemo();
        FAIL() << "the failed save was reported as success";
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.status(), 500);
    }
    EXPECT_EQ(store.state(), before);
}

} // namespace
