#include "AacTone.h"
#include "OndrelLocalService/services/AudioProbe.h"
#include "OndrelLocalService/services/AuthService.h"
#include "OndrelLocalService/services/CaptureService.h"
#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/services/SyncService.h"
#include "OndrelLocalService/state/DemoSeed.h"
#include "OndrelLocalService/state/ServiceState.h"
#include "OndrelLocalService/state/ServiceStore.h"
#include "OndrelLocalService/state/StateFile.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

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

// A database of the first schema gains the kept answers of idempotent requests, keeping its
// data; an answer is kept per user and key until it is older than the keep's limit.
TEST(ServiceStore, MigratesAnEarlierSchemaAndKeepsAnswersPerUser) {
    QTemporaryDir directory;
    const QString file = directory.filePath(QStringLiteral("state.sqlite"));
    {
        ServiceStore store(file, [] { return frozen; });
        store.change([&] { FolderService(store).insert(demo, QStringLiteral("Дача")); });
    }
    {
        QSqlDatabase earlier = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "earlier");
        earlier.setDatabaseName(file);
        ASSERT_TRUE(earlier.open());
        QSqlQuery(earlier).exec(QStringLiteral("DROP TABLE answers"));
        QSqlQuery(earlier).exec(QStringLiteral("PRAGMA user_version = 1"));
        earlier.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("earlier"));
    ServiceStore store(file, [] { return frozen; });
    EXPECT_EQ(store.folders(demo).size(), 1);
    store.change([&] { store.keepAnswer(demo, QStringLiteral("k"), "first", frozen); });
    EXPECT_EQ(store.keptAnswer(demo, QStringLiteral("k")), QByteArray("first"));
    EXPECT_EQ(store.keptAnswer(QStringLiteral("other"), QStringLiteral("k")), std::nullopt);
    const Instant later = Instant::fromMSecsSinceEpoch(frozen.toMSecsSinceEpoch() + 1);
    store.change([&] { store.keepAnswer(demo, QStringLiteral("k2"), "second", later); });
    EXPECT_EQ(store.keptAnswer(demo, QStringLiteral("k")), std::nullopt);
}

// The JSON data file of earlier versions beside a new database is taken over once and left as
// it was; a broken one stops the start and leaves no database behind.
TEST(DataFile, ImportsTheEarlierJsonFileOnceAndKeepsIt) {
    const QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    ServiceState earlier;
    {
        ServiceStore old(std::nullopt, [] { return frozen; });
        const AuthResponse session = AuthService(old, {}).signInDemo();
        earlier.users = {*old.user(demo)};
        earlier.folders = old.folders(demo);
        earlier.tasks = old.tasks(demo);
        earlier.accessTokens = {{session.accessToken, demo, session.accessExpiresAt}};
        earlier.lastStamp = old.serverTime();
    }
    const QByteArray json = StateFile::encode(earlier);
    ASSERT_TRUE(writeFile(path("state.json"), json));
    {
        ServiceStore store{path("state.sqlite"), [] { return frozen; }};
        EXPECT_EQ(store.folders(demo), earlier.folders);
        EXPECT_EQ(store.tasks(demo), earlier.tasks);
        EXPECT_EQ(store.tokenOwner(ServiceStore::TokenKind::access,
                                   earlier.accessTokens.first().token, frozen),
                  demo);
        EXPECT_GT(store.stamp(), earlier.lastStamp);
        store.change([&] { FolderService(store).insert(demo, QStringLiteral("после")); });
    }
    EXPECT_EQ(readFile(path("state.json")), json);
    EXPECT_EQ(ServiceStore{path("state.sqlite")}.folders(demo).size(),
              earlier.folders.size() + 1); // not imported twice

    ASSERT_TRUE(writeFile(path("broken.json"), "{\"version\":1,\"users\":["));
    EXPECT_THROW(ServiceStore{path("broken.sqlite")}, std::runtime_error);
    EXPECT_FALSE(QFile::exists(path("broken.sqlite")));
}

const QString user = QStringLiteral("u");

// A valid WAV file of silence: real audio, but not AAC.
QByteArray pcmWave() {
    const quint32 samples = 8000;
    QByteArray wav("RIFF????WAVEfmt ");
    const auto le32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    const auto le16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    le32(16), le16(1), le16(1), le32(8000), le32(16000), le16(2), le16(16);
    wav.append("data");
    le32(samples * 2);
    wav.append(QByteArray(int(samples * 2), '\0'));
    qToLittleEndian<quint32>(quint32(wav.size() - 8), wav.data() + 4);
    return wav;
}

// Only AAC audio passes, and the probe opens nothing an upload names: a playlist pointing at the
// network or at a file is refused without a knock.
TEST(AudioProbe, RefusesWhatIsNotAacAudio) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("real.m4a"));
    ASSERT_TRUE(writeFile(file, sineM4a(1.0)));
    const auto playlist = [](const QString& entry) {
        return "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n"
               "#EXTINF:10.0,\n" +
               entry.toUtf8() + "\n#EXT-X-ENDLIST\n";
    };
    const QList<std::pair<const char*, QByteArray>> samples{
        {"text", "hello world, definitely not audio"},
        {"PCM wave", pcmWave()},
        {"truncated m4a", sineM4a(1.0).left(64)},
        {"playlist of the network",
         playlist(QStringLiteral("http://127.0.0.1:%1/segment.aac").arg(listener.serverPort()))},
        {"playlist of a file", playlist(QUrl::fromLocalFile(file).toString())},
    };
    for (const auto& [name, bytes] : samples)
        EXPECT_FALSE(AudioProbe::aac(bytes).has_value()) << name;
    EXPECT_FALSE(listener.waitForNewConnection(0)); // nobody knocked
}

TEST(CaptureService, NoteTitlesShowWholeMinutesAndSeconds) {
    EXPECT_EQ(CaptureService::noteTitle(599'600), QStringLiteral("Голосовая заметка (10:00)"));
}

// One user never reaches another's tasks or captures, through sync or directly.
TEST(Services, OneUserNeverReachesAnothersData) {
    ServiceStore store;
    store.change([&] { DemoSeed::populate(store, user, false); });
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks};
    CaptureService captures{store, tasks, assistant};
    SyncService sync{store, tasks};
    const TaskItem task = tasks.create(user, TaskCreateBody{.title = QStringLiteral("чужая")});
    const QString capture =
        captures
            .create(user, CaptureBody{.audioBase64 = QString::fromLatin1(sineM4a(1.0).toBase64())})
            .capture.id;

    const QString other = QStringLiteral("other");
    const SyncTaskInput rename{.id = task.id,
                               .title = QStringLiteral("взлом"),
                               .updatedAt =
                                   Instant{task.updatedAt.time + std::chrono::hours(1)}.toString()};
    EXPECT_TRUE(sync.push(other, SyncPushBody{.tasks = QList{rename}}).appliedTaskIds.isEmpty());
    EXPECT_TRUE(sync.pull(other, std::nullopt).tasks.isEmpty());
    EXPECT_THROW(tasks.patch(other, task.id, TaskPatchBody{.title = QStringLiteral("взлом")}),
                 ServiceError);
    EXPECT_THROW(captures.get(other, capture), ServiceError);
    EXPECT_EQ(store.task(user, task.id)->title, QStringLiteral("чужая"));
}

} // namespace
