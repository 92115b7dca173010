#include "OndrelUI/update/AppVersion.h"
#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/PackageVerifier.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateFailure.h"

#include "Appcast.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

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

} // namespace
