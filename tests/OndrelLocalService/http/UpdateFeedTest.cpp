#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/UpdateChoice.h"

#include "HttpCall.h"
#include "LoopbackService.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The feed as the client reads it: which update, if any, a build of 0.1.0 would install.
class UpdateFeedTest : public testing::Test {
protected:
    UpdateFeedTest() {
        write(packagePath(), package);
        write(packagePath() + ".sig", signature.toBase64() + '\n');
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString packagePath() const {
        return folder.filePath(QStringLiteral("ondrel_0.2.0_amd64.deb"));
    }

    std::optional<AppcastItem> update(const LoopbackService& service) {
        const QUrl feed = service.baseURL().resolved(QUrl(QStringLiteral("/appcast.xml")));
        const HttpAnswer answer = httpCall(network, feed, "GET");
        EXPECT_EQ(answer.status, 200);
        items = AppcastParser::parse(answer.body, feed);
        return UpdateChoice::newest(items, *AppVersion::parse(QStringLiteral("0.1.0")),
                                    QStringLiteral("12"));
    }

    QTemporaryDir folder;
    QByteArray package = QByteArray(5000, 'd');
    QByteArray signature = QByteArray(64, 's');
    QNetworkAccessManager network;
    QList<AppcastItem> items;
};

TEST_F(UpdateFeedTest, ListsThisBuildAndServesTheOfferedPackage) {
    const LoopbackService plain(
        ServiceRouter::Settings{.updates = {.buildVersion = QStringLiteral("0.1.0")}});
    EXPECT_FALSE(update(plain));
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].version, QStringLiteral("0.1.0"));

    const LoopbackService offering(ServiceRouter::Settings{
        .updates = {.buildVersion = QStringLiteral("0.1.0"),
                    .offer = UpdateFeed::Offer::load(packagePath(), QStringLiteral("0.2.0"))}});
    const std::optional<AppcastItem> found = update(offering);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->version, QStringLiteral("0.2.0"));
    EXPECT_EQ(found->enclosure.length, package.size());
    EXPECT_EQ(found->enclosure.edSignature, signature);
    EXPECT_EQ(httpCall(network, found->enclosure.url, "GET").body, package);
    const QUrl other = found->enclosure.url.resolved(QUrl(QStringLiteral("other.deb")));
    EXPECT_EQ(httpCall(network, other, "GET").status, 404);
}

TEST_F(UpdateFeedTest, AnOfferNeedsAReadablePackageAndItsSignature) {
    const QString version = QStringLiteral("0.2.0");
    EXPECT_NO_THROW(UpdateFeed::Offer::load(packagePath(), version));
    EXPECT_THROW(UpdateFeed::Offer::load(packagePath(), QString()), std::invalid_argument);
    EXPECT_THROW(UpdateFeed::Offer::load(folder.filePath("missing.deb"), version),
                 std::invalid_argument);
    write(packagePath() + ".sig", "c2hvcnQ=");
    EXPECT_THROW(UpdateFeed::Offer::load(packagePath(), version), std::invalid_argument);
    QFile::remove(packagePath() + ".sig");
    EXPECT_THROW(UpdateFeed::Offer::load(packagePath(), version), std::invalid_argument);
}

} // namespace
