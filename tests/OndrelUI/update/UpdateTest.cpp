#include "Appcast.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/AppVersion.h"
#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/PackageVerifier.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateFailure.h"
#include "OndrelUI/update/UpdateFeedAddress.h"
#include "OndrelUI/update/UpdateState.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/ScreenHarness.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QMetaEnum>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <tuple>

#include <openssl/evp.h>

namespace {

using State = AppUpdater::State;
using Status = QHttpServerResponse::StatusCode;

// A fresh Ed25519 key pair, made the way the release script's key is, to sign test packages.
class SigningKey {
public:
    // Base64 of the raw public key, as the build takes it.
    QByteArray publicKey() const {
        QByteArray raw(32, '\0');
        size_t size = size_t(raw.size());
        EVP_PKEY_get_raw_public_key(m_key.get(), bytes(raw), &size);
        return raw.toBase64();
    }

    // The raw 64-byte signature of `data`.
    QByteArray sign(const QByteArray& data) const {
        const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                              &EVP_MD_CTX_free);
        QByteArray signature(64, '\0');
        size_t size = size_t(signature.size());
        if (EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get()) != 1 ||
            EVP_DigestSign(context.get(), bytes(signature), &size,
                           reinterpret_cast<const unsigned char*>(data.constData()),
                           size_t(data.size())) != 1)
            throw std::runtime_error("signing failed");
        return signature;
    }

private:
    static unsigned char* bytes(QByteArray& a) {
        return reinterpret_cast<unsigned char*>(a.data());
    }

    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_key{
        EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free};
};

// An updater of version 1.0 trusting `key`, keeping packages in a temporary folder and recording
// what it hands to the system. Its update server runs in this process on a free loopback port
// and serves `feed` and `package` as they are when the request arrives.
class AppUpdaterTest : public testing::Test {
protected:
    AppUpdaterTest() {
        server.route(QStringLiteral("/appcast.xml"),
                     [this] { return QHttpServerResponse("application/rss+xml", feed, status); });
        server.route(QStringLiteral("/ondrel_1.1_amd64.deb"), [this] {
            return QHttpServerResponse("application/vnd.debian.binary-package", package);
        });
        port = server.listen(QHostAddress::LocalHost, 0);
    }

    QUrl url(const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(path));
    }

    UpdaterSettings settings() {
        UpdaterSettings result;
        result.feedUrl = url("appcast.xml");
        result.publicKey = key.publicKey();
        result.currentVersion = QStringLiteral("1.0");
        result.systemVersion = QStringLiteral("12");
        result.downloadFolder = downloads.path();
        result.openPackage = [this](const QUrl& url) {
            opened.append(url);
            return systemOpens;
        };
        result.firstCheckDelay = std::nullopt;
        return result;
    }

    AppUpdater& makeUpdater(UpdaterSettings custom) {
        updater = std::make_unique<AppUpdater>(&state, std::move(custom));
        return *updater;
    }
    AppUpdater& makeUpdater() { return makeUpdater(settings()); }

    // The feed offers version 1.1 of `served`, signed by `key` over `signedBytes` and declared
    // `length` long.
    void offer(const QByteArray& served, const QByteArray& signedBytes, qint64 length) {
        package = served;
        feed = Appcast::feed(
            {Appcast::item(QStringLiteral("1.1"),
                           Appcast::enclosure(url("ondrel_1.1_amd64.deb").toString(), length,
                                              key.sign(signedBytes)),
                           QStringLiteral("<description>Быстрее синхронизация</description>"))});
    }
    void offer(const QByteArray& served) { offer(served, served, served.size()); }
    void offerNothingNew() { feed = Appcast::feed({Appcast::item(QStringLiteral("1.0"), {})}); }

    bool reaches(AppUpdater::State wanted,
                 std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return waitUntil([&] { return updater->state() == wanted; }, limit);
    }
    QStringList downloadedFiles() const {
        return QDir(downloads.path()).entryList(QDir::Files | QDir::Hidden);
    }

    QHttpServer server;
    quint16 port = 0;
    QByteArray feed;
    Status status = Status::Ok;
    QByteArray package;
    SigningKey key;
    QTemporaryDir downloads;
    UpdateState state;
    std::unique_ptr<AppUpdater> updater;
    QList<QUrl> opened;
    bool systemOpens = true;
};

// The real dialog in a window, as the application window holds it, clicked like a user would.
class UpdateDialogTest : public AppUpdaterTest {
protected:
    void show(AppUpdater& updater) {
        const QString host = downloads.filePath(QStringLiteral("Host.qml"));
        ASSERT_TRUE(writeFile(host, "import QtQuick\nimport Ondrel.UI\n"
                                    "Item { id: host; required property AppUpdater updater\n"
                                    "    UpdateDialog { objectName: 'dialog'; updater: "
                                    "host.updater } }\n"));
        screen = std::make_unique<ScreenHarness>(
            QUrl::fromLocalFile(host).toString(),
            QVariantMap{{"updater", QVariant::fromValue(&updater)}}, QSize(640, 480));
        QFile::remove(host);
        ASSERT_EQ(screen->warnings(), QStringList());
        dialog = screen->root()->findChild<QObject*>(QStringLiteral("dialog"));
        ASSERT_NE(dialog, nullptr);
    }

    // The header's buttons take the name of what they do at the moment; null unless shown.
    QQuickItem* find(const char* name) { return screen->item(QString::fromLatin1(name), dialog); }
    bool shows(const char* name) { return find(name) != nullptr; }
    QString text(const char* name) {
        EXPECT_TRUE(shows(name)) << name;
        return shows(name) ? find(name)->property("text").toString() : QString();
    }
    bool open() { return dialog->property("visible").toBool(); }
    bool closes() {
        return waitUntil([&] { return !open(); });
    }
    void click(const char* name) {
        screen->settle(); // a button that just appeared has its place once laid out
        ASSERT_TRUE(shows(name)) << name;
        screen->click(find(name));
    }

    std::unique_ptr<ScreenHarness> screen;
    QObject* dialog = nullptr;
};

// Every user check opens the dialog and shows its outcome; a failed one says why and leaves the
// offer as it was.
TEST_F(UpdateDialogTest, AUserCheckOpensTheDialogAndFollowsItToTheHandOver) {
    UpdaterSettings custom = settings();
    custom.maxFeedSize = 2048;
    AppUpdater& updater = makeUpdater(custom);
    show(updater);
    QSignalSpy availability(&state, &UpdateState::availableChanged);
    EXPECT_FALSE(open());
    offerNothingNew();
    updater.checkForUpdates();
    EXPECT_TRUE(open());
    EXPECT_EQ(text("statusText"), QStringLiteral("Проверяю обновления…"));
    EXPECT_TRUE(shows("busyIndicator"));
    ASSERT_TRUE(reaches(State::UpToDate));
    EXPECT_EQ(text("statusText"), QStringLiteral("Установлена последняя версия"));
    EXPECT_FALSE(shows("installButton"));
    screen->press(Qt::Key_Escape);
    ASSERT_TRUE(closes());
    EXPECT_EQ(updater.state(), State::Idle);

    offer("package");
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    EXPECT_EQ(text("statusText"), QStringLiteral("Доступна новая версия: 1.1"));
    EXPECT_EQ(text("notesText"), QStringLiteral("Быстрее синхронизация"));
    EXPECT_FALSE(shows("notesLinkButton"));
    EXPECT_FALSE(shows("closeButton"));
    click("laterButton");
    ASSERT_TRUE(closes());
    EXPECT_EQ(updater.state(), State::Idle);

    const struct {
        Status status;
        QByteArray served;
        const char* error;
    } failures[] = {
        {Status::ServiceUnavailable, feed, "Сервер обновлений ответил кодом 503"},
        {Status::Ok, "<rss><channel><item>", "Лента обновлений"},
        {Status::Ok, QByteArray(2049, ' '), "Лента обновлений больше 2 КБ"},
    };
    for (const auto& failure : failures) {
        std::tie(status, feed) = std::tie(failure.status, failure.served);
        updater.checkForUpdates();
        ASSERT_TRUE(reaches(State::Failed)) << failure.error;
        EXPECT_TRUE(text("statusText").startsWith(QString::fromUtf8(failure.error)))
            << text("statusText").toStdString();
        EXPECT_TRUE(state.available());
    }
    EXPECT_EQ(availability.count(), 1);

    offer(QByteArray(32 * 1024 * 1024, 'p')); // long enough a download to cancel
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    click("installButton");
    ASSERT_EQ(updater.state(), State::Downloading);
    EXPECT_TRUE(shows("progressBar"));
    EXPECT_FALSE(shows("closeButton"));
    screen->press(Qt::Key_Escape);
    EXPECT_TRUE(open());
    click("cancelButton");
    ASSERT_TRUE(reaches(State::UpdateFound));
    EXPECT_EQ(downloadedFiles(), QStringList());
    click("installButton");
    // 32 MB through the loopback and its signature check take their time on a busy machine.
    ASSERT_TRUE(reaches(State::HandedOver, std::chrono::seconds(60)))
        << int(updater.state()) << ' ' << updater.errorText().toStdString();
    EXPECT_EQ(text("statusText"), QStringLiteral("Пакет проверен и передан системе для установки"));
    EXPECT_EQ(text("packagePath"), downloads.filePath(QStringLiteral("ondrel_1.1_amd64.deb")));
    EXPECT_EQ(opened.size(), 1);
    click("closeButton");
    ASSERT_TRUE(closes());

    // A second installation never overwrites the first file; a system that does not take the
    // package leaves it in place and says where.
    systemOpens = false;
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    click("installButton");
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_TRUE(text("statusText").contains(QStringLiteral("ondrel_1.1_amd64-2.deb")));
    EXPECT_EQ(downloadedFiles().size(), 2);
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

TEST_F(AppUpdaterTest, APackageThatFailsVerificationIsDeletedAndNeverOpened) {
    const QByteArray served(64 * 1024, 'p');
    const struct {
        QByteArray signedBytes;
        qint64 declared;
        QByteArray publicKey;
        const char* reason;
    } cases[] = {
        {served, served.size(), SigningKey().publicKey(), "Подпись пакета не сходится"},
        {served, served.size() + 1, key.publicKey(), "Размер пакета"},
        {served, served.size() - 1, key.publicKey(), "Сервер прислал больше"},
        {served, served.size(), "", "нет ключа"},
    };
    for (const auto& c : cases) {
        offer(served, c.signedBytes, c.declared);
        UpdaterSettings custom = settings();
        custom.publicKey = c.publicKey;
        AppUpdater& updater = makeUpdater(custom);
        updater.checkForUpdates();
        ASSERT_TRUE(reaches(State::UpdateFound)) << c.reason;
        updater.downloadAndInstall();
        ASSERT_TRUE(reaches(State::Failed)) << c.reason;
        EXPECT_TRUE(updater.errorText().contains(QString::fromUtf8(c.reason)))
            << updater.errorText().toStdString();
        EXPECT_EQ(downloadedFiles(), QStringList()) << c.reason;
    }
    EXPECT_TRUE(opened.isEmpty());
}

// The dialog's lines about the network are the transport's Russian, never Qt's English.
TEST_F(AppUpdaterTest, NetworkFailuresAreToldInRussian) {
    const QMetaEnum kinds = QMetaEnum::fromType<QNetworkReply::NetworkError>();
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    for (int i = 0; i < kinds.keyCount(); ++i)
        EXPECT_FALSE(
            TransportError::describe(QNetworkReply::NetworkError(kinds.value(i))).contains(latin))
            << kinds.key(i);
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    UpdaterSettings refused = settings();
    refused.feedUrl.setPort(closed.serverPort());
    closed.close();
    makeUpdater(refused).checkForUpdates();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_EQ(updater->errorText(),
              QStringLiteral("Нет связи с сервером обновлений: нет соединения с сервисом"));
}

using Appcast::enclosure;
using Appcast::item;

const QUrl feedUrl(QStringLiteral("https://updates.example/ondrel/appcast.xml"));
const QByteArray signature(64, 's');
const QString package = QStringLiteral("https://updates.example/ondrel_1.1_amd64.deb");

TEST(Appcast, MalformedFeedsFailTheCheck) {
    for (const QByteArray& xml : {
             QByteArray("not xml at all"),
             QByteArray("<html><body>Обновлений нет</body></html>"),
             Appcast::feed({}).chopped(20),
             QByteArray("<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a "
                        "\"aaaa\">]><rss><channel/></rss>"),
             Appcast::feed({item("1.1", "<enclosure>")}),
         })
        EXPECT_THROW(AppcastParser::parse(xml, feedUrl), UpdateFailure) << xml.constData();
}

TEST(Appcast, OnlyANewerCompleteSignedItemIsAnUpdate) {
    const QString good = enclosure(package, 10, signature);
    const auto system = [](const char* version) {
        return QStringLiteral("<ondrel:minimumSystemVersion>%1</ondrel:minimumSystemVersion>")
            .arg(version);
    };
    const struct {
        const char* what;
        QStringList items;
        const char* chosen;
    } cases[] = {
        {"newer", {item("1.1", good)}, "1.1"},
        {"equal", {item("1.0.0", good)}, "none"},
        {"older", {item("0.9", good), item("1.0-rc1", good)}, "none"},
        {"no enclosure", {item("1.1", "")}, "none"},
        {"short signature", {item("1.1", enclosure(package, 10, QByteArray(63, 's')))}, "none"},
        {"no length", {item("1.1", enclosure(package, 0, signature))}, "none"},
        {"length over the bound",
         {item("1.1", enclosure(package, UpdateChoice::maxPackageLength + 1, signature))},
         "none"},
        {"no type", {item("1.1", enclosure(package, 10, signature, ""))}, "none"},
        {"file link", {item("1.1", enclosure("file:///etc/passwd", 10, signature))}, "none"},
        {"not a version", {item("latest", good)}, "none"},
        {"newer system needed", {item("1.1", good, system("13"))}, "none"},
        {"system new enough", {item("1.1", good, system("11.2"))}, "1.1"},
        {"newest of several", {item("1.2", good), item("1.10", good), item("1.9", good)}, "1.10"},
        {"newest unsigned", {item("2.0", enclosure(package, 10, {})), item("1.1", good)}, "1.1"},
        {"unknown elements",
         {item("1.1", good, "<foo:bar xmlns:foo=\"urn:x\"><item/></foo:bar><category/>")},
         "1.1"},
        {"version in another namespace",
         {"<item><v:version xmlns:v=\"urn:x\">1.1</v:version>" + good + "</item>"},
         "none"},
    };
    for (const auto& c : cases) {
        const std::optional<AppcastItem> update =
            UpdateChoice::newest(AppcastParser::parse(Appcast::feed(c.items), feedUrl),
                                 *AppVersion::parse(QStringLiteral("1.0")), QStringLiteral("12"));
        EXPECT_EQ(update ? update->version : QStringLiteral("none"), c.chosen) << c.what;
    }
}

// Links are resolved against the feed; notes are plain text.
TEST(Appcast, ReadsAnItemsFieldsAsPlainTextAndWebLinks) {
    const QList<AppcastItem> items = AppcastParser::parse(
        Appcast::feed({item("1.1", enclosure("../p.deb", 42, signature),
                            "<pubDate>Thu, 01 Jan 2026 12:00:00 +0000</pubDate>"
                            "<ondrel:shortVersionString> 1.1 beta </ondrel:shortVersionString>"
                            "<ondrel:releaseNotesLink>notes/1.1.html</ondrel:releaseNotesLink>"
                            "<description><![CDATA[<p>Быстрее <b>синхронизация</b></p><img "
                            "src=\"x\">]]></description>")}),
        feedUrl);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].displayVersion(), QStringLiteral("1.1 beta"));
    EXPECT_EQ(items[0].pubDate, QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(items[0].releaseNotesLink, QUrl("https://updates.example/ondrel/notes/1.1.html"));
    EXPECT_EQ(items[0].description, QStringLiteral("Быстрее синхронизация"));
    EXPECT_EQ(items[0].enclosure.url, QUrl("https://updates.example/p.deb"));
}

// Each pair "a b" parses on both sides and compares a < b, or a == b.
std::strong_ordering compare(const char* pair) {
    const QStringList sides = QString::fromLatin1(pair).split(u' ');
    const auto a = AppVersion::parse(sides[0]), b = AppVersion::parse(sides[1]);
    EXPECT_TRUE(a && b) << pair;
    return a && b ? *a <=> *b : std::strong_ordering::greater;
}

TEST(AppVersion, ComparesComponentsAsNumbersAndPutsPrereleasesFirst) {
    for (const char* ascending :
         {"1.9 1.10", "1.0 1.0.1", "1.9.9 2", "1.0-beta 1.0", "1.0b1 1.0", "1.0~rc1 1.0",
          "0.9 1.0-alpha", "1.0-alpha 1.0-beta", "1.0-beta.2 1.0-beta.10", "1.0-beta 1.0-beta.1",
          "1.0-rc.1 1.0-rc.x", "1.0 1.0.1-rc1"})
        EXPECT_TRUE(compare(ascending) < 0) << ascending;
    for (const char* equal : {"1.0 1.0.0", "007 7", "1.0-rc1 1.0-rc.1"})
        EXPECT_TRUE(compare(equal) == 0) << equal;
    for (const char* text : {"", "v1.0", "1..2", "1.", ".1", "1.0-", "1 .0", "1.0 ", "-1",
                             "1.0-beta!", "1234567890123456789", "1.0-rc12345678901234567890"})
        EXPECT_FALSE(AppVersion::parse(QString::fromLatin1(text))) << '"' << text << '"';
}

QByteArray run(const QStringList& arguments) {
    QProcess script;
    script.start(QStringLiteral(ONDREL_SIGN_UPDATE_SCRIPT), arguments);
    EXPECT_TRUE(script.waitForFinished(30000));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().constData();
    return script.readAllStandardOutput();
}

// What the release script makes is what the updater accepts: its private key stays private,
// its public key, feed item and signature verify the package, and nothing else.
TEST(SignUpdateScript, ItsKeyItemAndSignatureVerifyThePackage) {
    QTemporaryDir folder;
    const QString key = folder.filePath(QStringLiteral("release.key"));
    const QString package = folder.filePath(QStringLiteral("ondrel_1.1_amd64.deb"));
    ASSERT_TRUE(writeFile(package, QByteArray(10000, 'd')));

    const auto publicKey = PackageVerifier::decodePublicKey(run({QStringLiteral("keygen"), key}));
    ASSERT_TRUE(publicKey);
    EXPECT_EQ(QFile::permissions(key) & 0x0077, QFileDevice::Permissions());
    const QByteArray item = run({QStringLiteral("sign"), key, package, QStringLiteral("1.1")});
    const QList<AppcastItem> items = AppcastParser::parse(
        Appcast::feed({QString::fromUtf8(item)}), QUrl("https://updates.example/appcast.xml"));
    ASSERT_EQ(items.size(), 1);
    const AppcastItem::Enclosure& enclosure = items[0].enclosure;
    EXPECT_TRUE(UpdateChoice::isComplete(enclosure));
    EXPECT_EQ(enclosure.url, QUrl("https://updates.example/ondrel_1.1_amd64.deb"));
    const auto verify = [&] {
        PackageVerifier::verify(package, enclosure.length, enclosure.edSignature, *publicKey);
    };
    EXPECT_NO_THROW(verify());
    ASSERT_TRUE(writeFile(package, QByteArray(9999, 'd') + 'x'));
    EXPECT_THROW(verify(), UpdateFailure);
}

// The feed follows a service named at launch only while the build left it at the build's
// service; a feed named in the environment must be as safe as a service address.
TEST(UpdateFeedAddress, FollowsTheServiceUnlessAFeedWasNamed) {
    const UpdateFeedAddress::Build following{"http://127.0.0.1:8765",
                                             "http://127.0.0.1:8765/appcast.xml"};
    const UpdateFeedAddress::Build pinned{"http://127.0.0.1:8765", "https://up.example/a.xml"};
    const QUrl built(QStringLiteral("http://127.0.0.1:8765"));
    const QUrl other(QStringLiteral("https://tasks.example.org:8443/api"));
    const struct {
        QUrl service;
        UpdateFeedAddress::Build build;
        std::optional<QString> environment;
        QString feed; // empty: refused
    } cases[] = {
        {built, following, {}, "http://127.0.0.1:8765/appcast.xml"},
        {other, following, {}, "https://tasks.example.org:8443/appcast.xml"},
        {other, pinned, {}, "https://up.example/a.xml"},
        {other, following, "https://feed.example/a.xml?ch=beta",
         "https://feed.example/a.xml?ch=beta"},
        {other, following, "http://[::1]:9/appcast.xml", "http://[::1]:9/appcast.xml"},
        {other, following, "http://feed.example/appcast.xml", ""},
        {other, following, "appcast.xml", ""},
    };
    for (const auto& c : cases) {
        const ServiceURLResult result =
            UpdateFeedAddress::choose(c.service, c.build, c.environment);
        EXPECT_EQ(result.url.value_or(QUrl()).toString(), c.feed) << c.feed.toStdString();
        EXPECT_EQ(result.error.contains(QStringLiteral("ONDREL_UPDATE_FEED_URL")),
                  c.feed.isEmpty());
    }
}

} // namespace
