#include "UpdaterFixture.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QSignalSpy>

namespace {

using State = AppUpdater::State;

class AppUpdaterTest : public UpdaterFixture {};

TEST_F(AppUpdaterTest, ChecksReportFoundAndNotFoundAndFailuresLeaveAvailabilityAlone) {
    AppUpdater& updater = makeUpdater();
    QSignalSpy availability(&state, &UpdateState::availableChanged);
    QSignalSpy dialog(&updater, &AppUpdater::dialogRequested);
    EXPECT_FALSE(state.available());

    offer("package");
    updater.checkForUpdates();
    EXPECT_EQ(updater.state(), State::Checking);
    ASSERT_TRUE(reaches(State::UpdateFound));
    EXPECT_TRUE(state.available());
    EXPECT_EQ(updater.version(), QStringLiteral("1.1"));
    EXPECT_EQ(updater.notes(), QStringLiteral("Быстрее синхронизация"));

    server.feedStatus = QHttpServerResponse::StatusCode::ServiceUnavailable;
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_EQ(updater.errorText(), QStringLiteral("Сервер обновлений ответил кодом 503"));
    server.feedStatus = QHttpServerResponse::StatusCode::Ok;
    server.feed = "<rss><channel><item>";
    updater.checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return updater.errorText().startsWith("Лента обновлений"); }));
    EXPECT_TRUE(state.available());

    offerNothingNew();
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpToDate));
    EXPECT_FALSE(state.available());
    EXPECT_EQ(availability.count(), 2);
    EXPECT_EQ(dialog.count(), 4);
}

TEST_F(AppUpdaterTest, OversizedAndUnreachableFeedsFail) {
    UpdaterSettings custom = settings();
    custom.maxFeedSize = 2048;
    AppUpdater& updater = makeUpdater(custom);
    server.feed = QByteArray(2049, ' ');
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_EQ(updater.errorText(), QStringLiteral("Лента обновлений больше 2 КБ"));

    custom.feedUrl = QUrl(QStringLiteral("http://127.0.0.1:1/appcast.xml"));
    AppUpdater& unreachable = makeUpdater(custom);
    unreachable.checkForUpdates();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_TRUE(unreachable.errorText().startsWith("Нет связи с сервером обновлений"));
    EXPECT_FALSE(state.available());
}

TEST_F(AppUpdaterTest, SilentChecksRunOnTheirScheduleAndOnlyChangeAvailability) {
    UpdaterSettings custom = settings();
    custom.firstCheckDelay = std::chrono::milliseconds(0);
    custom.checkInterval = std::chrono::milliseconds(200);
    offer("package");
    AppUpdater& updater = makeUpdater(custom);
    QSignalSpy dialog(&updater, &AppUpdater::dialogRequested);
    ASSERT_TRUE(waitUntil([&] { return state.available(); }));
    offerNothingNew();
    ASSERT_TRUE(waitUntil([&] { return !state.available(); }));
    EXPECT_EQ(updater.state(), State::Idle);
    EXPECT_EQ(dialog.count(), 0);
}

TEST_F(AppUpdaterTest, AVerifiedPackageIsKeptAndHandedToTheSystem) {
    const QByteArray package(300 * 1024, 'p');
    offer(package);
    AppUpdater& updater = makeUpdater();
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    updater.downloadAndInstall();
    EXPECT_EQ(updater.state(), State::Downloading);
    ASSERT_TRUE(reaches(State::HandedOver)) << updater.errorText().toStdString();

    const QString kept = QDir(downloads.path()).filePath(QStringLiteral("ondrel_1.1_amd64.deb"));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(kept)});
    EXPECT_EQ(updater.packagePath(), kept);
    EXPECT_EQ(updater.progress(), 1.0);
    EXPECT_EQ(downloadedFiles(), QStringList{QStringLiteral("ondrel_1.1_amd64.deb")});
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), package);

    // A second installation never overwrites the first file; a system that does not take the
    // package leaves it in place and says where.
    systemOpens = false;
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    updater.downloadAndInstall();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_TRUE(updater.errorText().contains(QStringLiteral("ondrel_1.1_amd64-2.deb")));
    EXPECT_EQ(downloadedFiles().size(), 2);
}

TEST_F(AppUpdaterTest, APackageThatFailsVerificationIsDeletedAndNeverOpened) {
    const QByteArray package(64 * 1024, 'p');
    const struct {
        const char* what;
        QByteArray served;
        QByteArray signedBytes;
        qint64 declared;
        QByteArray publicKey;
        const char* reason;
    } cases[] = {
        {"signed other bytes", package, "other", package.size(), key.publicKey(),
         "Подпись пакета не сходится"},
        {"other key", package, package, package.size(), SigningKey().publicKey(),
         "Подпись пакета не сходится"},
        {"shorter than declared", package, package, package.size() + 1, key.publicKey(),
         "Размер пакета"},
        {"longer than declared", package, package, package.size() - 1, key.publicKey(),
         "Сервер прислал больше"},
        {"no key in the build", package, package, package.size(), "", "нет ключа"},
    };
    for (const auto& c : cases) {
        offer(c.served, c.signedBytes, c.declared);
        UpdaterSettings custom = settings();
        custom.publicKey = c.publicKey;
        AppUpdater& updater = makeUpdater(custom);
        updater.checkForUpdates();
        ASSERT_TRUE(reaches(State::UpdateFound)) << c.what;
        updater.downloadAndInstall();
        ASSERT_TRUE(reaches(State::Failed)) << c.what;
        EXPECT_TRUE(updater.errorText().contains(QString::fromUtf8(c.reason)))
            << c.what << ": " << updater.errorText().toStdString();
        EXPECT_EQ(downloadedFiles(), QStringList()) << c.what;
    }
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
