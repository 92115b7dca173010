#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateFailure.h"

#include "Appcast.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QUrl feedUrl(QStringLiteral("https://updates.example/ondrel/appcast.xml"));
const QByteArray signature(64, 's');
const QString package = QStringLiteral("https://updates.example/ondrel_1.1_amd64.deb");

QString choose(const QByteArray& xml) {
    const std::optional<AppcastItem> update =
        UpdateChoice::newest(AppcastParser::parse(xml, feedUrl),
                             *AppVersion::parse(QStringLiteral("1.0")), QStringLiteral("12"));
    return update ? update->version : QStringLiteral("none");
}

TEST(Appcast, MalformedFeedsFailTheCheck) {
    const QByteArray feeds[] = {
        "not xml at all",
        "<html><body>Обновлений нет</body></html>",
        Appcast::feed({}).chopped(20),
        "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaa\">]><rss><channel/></rss>",
        Appcast::feed({Appcast::item(QStringLiteral("1.1"), QStringLiteral("<enclosure>"))}),
    };
    for (const QByteArray& xml : feeds)
        EXPECT_THROW(AppcastParser::parse(xml, feedUrl), UpdateFailure) << xml.constData();
}

TEST(Appcast, OnlyANewerCompleteSignedItemIsAnUpdate) {
    using Appcast::enclosure;
    using Appcast::item;
    const QString good = enclosure(package, 10, signature);
    const struct {
        const char* what;
        QStringList items;
        const char* chosen;
    } cases[] = {
        {"newer", {item("1.1", good)}, "1.1"},
        {"equal", {item("1.0", good), item("1.0.0", good)}, "none"},
        {"older", {item("0.9", good), item("1.0-rc1", good)}, "none"},
        {"no feed items", {}, "none"},
        {"no enclosure", {item("1.1", "")}, "none"},
        {"no signature", {item("1.1", enclosure(package, 10, {}))}, "none"},
        {"short signature", {item("1.1", enclosure(package, 10, QByteArray(63, 's')))}, "none"},
        {"no length", {item("1.1", enclosure(package, 0, signature))}, "none"},
        {"length over the bound",
         {item("1.1", enclosure(package, UpdateChoice::maxPackageLength + 1, signature))},
         "none"},
        {"no type", {item("1.1", enclosure(package, 10, signature, ""))}, "none"},
        {"file link", {item("1.1", enclosure("file:///etc/passwd", 10, signature))}, "none"},
        {"not a version", {item("latest", good)}, "none"},
        {"newer system needed",
         {item("1.1", good, "<ondrel:minimumSystemVersion>13</ondrel:minimumSystemVersion>")},
         "none"},
        {"system new enough",
         {item("1.1", good, "<ondrel:minimumSystemVersion>11.2</ondrel:minimumSystemVersion>")},
         "1.1"},
        {"newest of several", {item("1.2", good), item("1.10", good), item("1.9", good)}, "1.10"},
        {"newest unsigned", {item("2.0", enclosure(package, 10, {})), item("1.1", good)}, "1.1"},
        {"unknown elements",
         {item("1.1", good,
               "<foo:bar xmlns:foo=\"urn:x\"><item/></foo:bar><category>x</category>")},
         "1.1"},
        {"version in another namespace",
         {"<item><v:version xmlns:v=\"urn:x\">1.1</v:version>" + good + "</item>"},
         "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(choose(Appcast::feed(c.items)), QString::fromLatin1(c.chosen)) << c.what;
}

TEST(Appcast, ReadsAnItemsFieldsAsPlainTextAndWebLinks) {
    const QString extra =
        QStringLiteral("<pubDate>Thu, 01 Jan 2026 12:00:00 +0000</pubDate>"
                       "<ondrel:shortVersionString> 1.1 beta </ondrel:shortVersionString>"
                       "<ondrel:releaseNotesLink>notes/1.1.html</ondrel:releaseNotesLink>"
                       "<description><![CDATA[<p>Быстрее <b>синхронизация</b></p><img "
                       "src=\"x\">]]></description>");
    const QList<AppcastItem> items = AppcastParser::parse(
        Appcast::feed(
            {Appcast::item(QStringLiteral("1.1"),
                           Appcast::enclosure(QStringLiteral("../p.deb"), 42, signature), extra),
             Appcast::item(QStringLiteral("1.2"), QString(),
                           QStringLiteral("<ondrel:releaseNotesLink>javascript:x"
                                          "</ondrel:releaseNotesLink>"))}),
        feedUrl);
    ASSERT_EQ(items.size(), 2);
    const AppcastItem& item = items[0];
    EXPECT_EQ(item.title, QStringLiteral("Ondrel 1.1"));
    EXPECT_EQ(item.displayVersion(), QStringLiteral("1.1 beta"));
    EXPECT_EQ(item.pubDate, QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(item.releaseNotesLink,
              QUrl(QStringLiteral("https://updates.example/ondrel/notes/1.1.html")));
    EXPECT_EQ(item.description, QStringLiteral("Быстрее синхронизация"));
    EXPECT_EQ(item.enclosure.url, QUrl(QStringLiteral("https://updates.example/p.deb")));
    EXPECT_EQ(item.enclosure.length, 42);
    EXPECT_EQ(item.enclosure.edSignature, signature);
    EXPECT_EQ(items[1].displayVersion(), QStringLiteral("1.2"));
    EXPECT_TRUE(items[1].releaseNotesLink.isEmpty());
}

} // namespace
