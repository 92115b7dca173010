#include "support/AwaitTask.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/NetworkTransport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs the service with arguments it must refuse at start: it exits with 1 and says why.
QByteArray refusal(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ONDREL_SERVICE_BINARY), arguments);
    EXPECT_TRUE(process.waitForFinished(10'000));
    EXPECT_EQ(process.exitCode(), 1) << arguments.join(u' ').toStdString();
    const QByteArray error = process.readAllStandardError();
    EXPECT_FALSE(error.isEmpty());
    return error;
}

// The executable itself, started with `arguments`; its address from the one line it prints.
class ServiceProcess : public testing::Test {
protected:
    QUrl start(const QStringList& arguments) {
        static const QRegularExpression line(
            QStringLiteral("^ondrel-local-service listening on (http://127\\.0\\.0\\.1:\\d+)\\n$"));
        process.start(QStringLiteral(ONDREL_SERVICE_BINARY), arguments);
        if (process.waitForStarted(10'000) && !process.canReadLine())
            process.waitForReadyRead(10'000);
        return QUrl(line.match(QString::fromUtf8(process.readLine())).captured(1));
    }
    QTemporaryDir dir;
    QString data = dir.filePath(QStringLiteral("a/b/state.sqlite"));
    QProcess process;
    std::shared_ptr<HTTPTransport> transport = std::make_shared<NetworkTransport>();
};

// Its data file (folders created) and WAL are its owner's alone from the start, and one service
// holds it. An answered change is on disk at once: killed and started again, the service has
// it, sessions included, tokens kept hashed. SIGTERM ends it cleanly.
TEST_F(ServiceProcess, KeepsAnsweredChangesAndStopsCleanlyOnSigterm) {
    const QStringList arguments{"--port", "0", "--data", data};
    QUrl base = start(arguments);
    ASSERT_TRUE(base.isValid());
    const AuthResponse pair = awaitTask(APIClient(base, transport).loginYandex("t"));
    const APIClient api(base, transport, pair.accessToken);
    awaitTask(api.patchTask(awaitTask(api.createTask({.title = "до"})).id, {.title = "после"}));
    for (const QString& file : {data, data + QStringLiteral("-wal")})
        EXPECT_EQ(fileMode(file), 0600) << file.toStdString();
    refusal(arguments);
    process.kill();
    ASSERT_TRUE(process.waitForFinished(10'000));

    base = start(arguments);
    const auto tasks = awaitTask(APIClient(base, transport, pair.accessToken).listTasks());
    EXPECT_TRUE(std::ranges::any_of(tasks, [](const TaskItem& t) { return t.title == u"после"; }));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10'000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(fileMode(data), 0600);
    EXPECT_FALSE(readFile(data).contains(pair.accessToken.toLatin1()));
}

// Bad options, a busy port and a data file that is not its database (named, and left as it was)
// are refused.
TEST_F(ServiceProcess, RefusesBadOptionsAForeignDataFileAndABusyPort) {
    const QString foreign = dir.filePath(QStringLiteral("foreign.sqlite"));
    const QByteArray bytes = QByteArray("SQLite format 3\0", 16) + QByteArray(84, 'x');
    ASSERT_TRUE(writeFile(foreign, bytes));
    refusal({"--port", "70000"});
    refusal({"--refresh-ttl", "0"});
    EXPECT_TRUE(refusal({"--port", "0", "--data", foreign}).contains(foreign.toUtf8()));
    EXPECT_EQ(readFile(foreign), bytes);
    const QUrl base = start({"--port", "0"});
    refusal({"--port", QString::number(base.port())});
    process.terminate();
    process.waitForFinished(10'000);
}

} // namespace
