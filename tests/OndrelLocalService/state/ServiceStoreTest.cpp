#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelLocalService/services/AuthService.h"
#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/state/ServiceState.h"
#include "OndrelLocalService/state/StateFile.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const Instant frozen = Instant::fromMSecsSinceEpoch(1'780'000'000'000);
const QString demo = QString::fromLatin1(AuthService::demoUserId);

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

// A failure anywhere in a change undoes all of it, its stamps included.
TEST(ServiceStore, AFailedChangeLeavesNothingBehind) {
    ServiceStore store(std::nullopt, [] { return frozen; });
    const Instant before = store.serverTime();
    EXPECT_THROW(store.change([&] {
        FolderService(store).insert(demo, QStringLiteral("Дача"));
        throw std::runtime_error("midway");
    }),
                 std::runtime_error);
    EXPECT_TRUE(store.folders(demo).isEmpty());
    EXPECT_EQ(store.serverTime(), before);
}

// Each sign-in ends the oldest one beyond the sessions kept; the newest stay valid.
TEST(ServiceStore, SupersededSessionsArePruned) {
    ServiceStore store;
    AuthService auth(store, {.seed = false});
    const AuthResponse first = auth.signInDemo();
    AuthResponse last;
    for (qsizetype i = 0; i < AuthService::sessionsKept; ++i)
        last = auth.signInDemo();
    EXPECT_FALSE(
        store.tokenOwner(ServiceStore::TokenKind::refresh, first.refreshToken, store.now()));
    EXPECT_FALSE(store.tokenOwner(ServiceStore::TokenKind::access, first.accessToken, store.now()));
    EXPECT_EQ(auth.authenticate(last.accessToken), demo);
    EXPECT_NO_THROW(auth.refresh(last.refreshToken));
}

class DataFile : public testing::Test {
protected:
    QString path(const char* name = "state.sqlite") const {
        return dir.filePath(QString::fromLatin1(name));
    }
    static QByteArray contents(const QString& file) {
        QFile opened(file);
        return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
    }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile opened(file);
        ASSERT_TRUE(opened.open(QIODevice::WriteOnly | QIODevice::Truncate));
        opened.write(bytes);
    }
    QTemporaryDir dir;
};

// The JSON data file of earlier versions beside a new database is taken over once and left as
// it was; a broken one stops the start and leaves no database behind.
TEST_F(DataFile, ImportsTheEarlierJsonFileOnceAndKeepsIt) {
    ServiceState earlier;
    {
        ServiceStore old(std::nullopt, [] { return frozen; });
        AuthService auth(old, {});
        const AuthResponse session = auth.signInDemo();
        earlier.users = {*old.user(demo)};
        earlier.folders = old.folders(demo);
        earlier.tasks = old.tasks(demo);
        earlier.accessTokens = {{session.accessToken, demo, session.accessExpiresAt}};
        earlier.lastStamp = old.serverTime();
    }
    const QByteArray json = StateFile::encode(earlier);
    write(path("state.json"), json);
    {
        ServiceStore store{path(), [] { return frozen; }};
        EXPECT_EQ(store.folders(demo), earlier.folders);
        EXPECT_EQ(store.tasks(demo), earlier.tasks);
        EXPECT_EQ(store.tokenOwner(ServiceStore::TokenKind::access,
                                   earlier.accessTokens.first().token, frozen),
                  demo);
        EXPECT_GT(store.stamp(), earlier.lastStamp);
        store.change([&] { FolderService(store).insert(demo, QStringLiteral("после")); });
    }
    EXPECT_EQ(contents(path("state.json")), json);
    ServiceStore again{path()};
    EXPECT_EQ(again.folders(demo).size(), earlier.folders.size() + 1); // not imported twice

    write(path("broken.json"), "{\"version\":1,\"users\":[");
    EXPECT_THROW(ServiceStore{path("broken.sqlite")}, std::runtime_error);
    EXPECT_FALSE(QFile::exists(path("broken.sqlite")));
    EXPECT_EQ(contents(path("broken.json")), "{\"version\":1,\"users\":[");
}

TEST_F(DataFile, AFileThatIsNotItsDatabaseIsAnErrorAndIsLeftAlone) {
    const QList<QByteArray> foreign{"{\"version\":1,\"users\":[]}", "not a database at all",
                                    QByteArray("SQLite format 3\0", 16) + QByteArray(84, 'x')};
    for (const QByteArray& bytes : foreign) {
        write(path(), bytes);
        try {
            ServiceStore store{path()};
            ADD_FAILURE() << "opened " << bytes.left(20).constData();
        } catch (const std::runtime_error& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(path())) << error.what();
        }
        EXPECT_EQ(contents(path()), bytes);
    }
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("state.sqlite"))); // a folder
    EXPECT_THROW(ServiceStore{path()}, std::runtime_error);
}

} // namespace
