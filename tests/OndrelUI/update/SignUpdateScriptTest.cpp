#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/PackageVerifier.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateFailure.h"

#include "Appcast.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray run(const QStringList& arguments) {
    QProcess script;
    script.start(QStringLiteral(ONDREL_SIGN_UPDATE_SCRIPT), arguments);
    EXPECT_TRUE(script.waitForFinished(30000));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().constData();
    return script.readAllStandardOutput();
}

// What the release script makes is what the updater accepts: its public key, its feed item
// and its signature verify the package, and nothing else.
TEST(SignUpdateScript, ItsKeyItemAndSignatureVerifyThePackage) {
    QTemporaryDir folder;
    const QString key = folder.filePath(QStringLiteral("release.key"));
    const QString package = folder.filePath(QStringLiteral("ondrel_1.1_amd64.deb"));
    QFile file(package);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(10000, 'd'));
    file.close();

    const std::optional<QByteArray> publicKey =
        PackageVerifier::decodePublicKey(run({QStringLiteral("keygen"), key}));
    ASSERT_TRUE(publicKey);
    EXPECT_EQ(QFile::permissions(key) & 0x0077, QFileDevice::Permissions());
    const QByteArray item = run({QStringLiteral("sign"), key, package, QStringLiteral("1.1")});
    const QList<AppcastItem> items =
        AppcastParser::parse(Appcast::feed({QString::fromUtf8(item)}),
                             QUrl(QStringLiteral("https://updates.example/appcast.xml")));
    ASSERT_EQ(items.size(), 1);
    const AppcastItem::Enclosure& enclosure = items[0].enclosure;
    EXPECT_TRUE(UpdateChoice::isComplete(enclosure));
    EXPECT_EQ(enclosure.url, QUrl(QStringLiteral("https://updates.example/ondrel_1.1_amd64.deb")));
    EXPECT_NO_THROW(
        PackageVerifier::verify(package, enclosure.length, enclosure.edSignature, *publicKey));

    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("x");
    file.close();
    EXPECT_THROW(
        PackageVerifier::verify(package, enclosure.length, enclosure.edSignature, *publicKey),
        UpdateFailure);
}

} // namespace
