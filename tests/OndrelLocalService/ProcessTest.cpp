#include "support/FileMode.h"
#include "support/QtPrinters.h"

#include "HttpCall.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The executable itself: its one line at start, its exit on SIGTERM, its refusals at start.
class ServiceProcess : public testing::Test {
protected:
    void start(const QStringList& arguments) {
        process.start(QStringLiteral(ONDREL_SERVICE_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted(10'000));
    }
    quint16 listeningPort() {
        static const QRegularExpression line(
            QStringLiteral("^ondrel-local-service listening on http://127\\.0\\.0\\.1:(\\d+)\\n$"));
        if (!process.canReadLine())
            process.waitForReadyRead(10'000);
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(process.readLine()));
        return match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
    }
    QUrl url(quint16 port, const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path)));
    }
    QTemporaryDir dir;
    QString data = dir.filePath(QStringLiteral("a/b/state.sqlite"));
    QProcess process;
    QNetworkAccessManager network;
};

// Its one line at start; its data file (folders created) and WAL are its owner's alone from the
// start, and one service holds it. An answered change is on disk at once: killed and started
// again, the service has it, sessions included, tokens kept hashed. SIGTERM ends it cleanly.
TEST_F(ServiceProcess, KeepsAnsweredChangesAndStopsCleanlyOnSigterm) {
    const QStringList arguments{QStringLiteral("--port"), QStringLiteral("0"),
                                QStringLiteral("--data"), data};
    start(arguments);
    quint16 port = listeningPort();
    ASSERT_NE(port, 0);
    const HttpAnswer signedIn =
        httpCall(network, url(port, "/auth/yandex"), "POST", R"({"accessToken":"t"})");
    const QByteArray bearer =
        "Bearer " + QJsonDocument::fromJson(signedIn.body)["accessToken"].toString().toLatin1();
    const HttpAnswer created =
        httpCall(network, url(port, "/tasks"), "POST", R"({"title":"до"})", bearer);
    ASSERT_EQ(created.status, 201);
    const QString id = QJsonDocument::fromJson(created.body)["id"].toString();
    const QByteArray path = "/tasks/" + id.toLatin1();
    ASSERT_EQ(
        httpCall(network, url(port, path.constData()), "PATCH", R"({"title":"после"})", bearer)
            .status,
        200);
    for (const QString& file : {data, data + QStringLiteral("-wal")})
        EXPECT_EQ(fileMode(file), 0600) << file.toStdString();
    QProcess second;
    second.start(QStringLiteral(ONDREL_SERVICE_BINARY),
                 {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), data});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitCode(), 1);
    process.kill();
    ASSERT_TRUE(process.waitForFinished(10'000));

    start(arguments);
    port = listeningPort();
    ASSERT_NE(port, 0);
    const HttpAnswer listed = httpCall(network, url(port, "/tasks"), "GET", {}, bearer);
    EXPECT_EQ(listed.status, 200);
    EXPECT_TRUE(listed.text().contains(QStringLiteral(R"("title":"после")")))
        << listed.body.constData();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10'000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(fileMode(data), 0600);
    QFile file(data);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains(bearer.mid(7)));
}

// Each refusal exits with 1 and says why; a corrupt data file is named.
TEST_F(ServiceProcess, RefusesBadOptionsACorruptDataFileAndABusyPort) {
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.sqlite"));
    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"version\":1,\"users\":[");
    file.close();
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--port"), QStringLiteral("70000")},
          QStringList{QStringLiteral("--access-ttl"), QStringLiteral("-5")},
          QStringList{QStringLiteral("--refresh-ttl"), QStringLiteral("0")},
          QStringList{QStringLiteral("extra")},
          QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"),
                      corrupt}}) {
        QProcess bad;
        bad.start(QStringLiteral(ONDREL_SERVICE_BINARY), arguments);
        ASSERT_TRUE(bad.waitForFinished(10'000));
        EXPECT_EQ(bad.exitCode(), 1) << arguments.join(u' ').toStdString();
        const QByteArray error = bad.readAllStandardError();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(!arguments.contains(corrupt) || error.contains(corrupt.toUtf8()))
            << error.constData();
    }
    start({QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = listeningPort();
    QProcess second;
    second.start(QStringLiteral(ONDREL_SERVICE_BINARY),
                 {QStringLiteral("--port"), QString::number(port)});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitCode(), 1);
    process.terminate();
    process.waitForFinished(10'000);
}

} // namespace
