#include "support/WaitUntil.h"

#include "OndrelApp/instance/SingleInstance.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The first `ondrel` becomes the window; later ones hand their links over and leave. The first
// drops them, as no sign-in is waiting or as they are not its own, and logs no token. Every
// process runs headless in a runtime directory of its own, so the test never meets the user's
// running Ondrel; one still running when its QProcess goes is killed.
TEST(StartUp, TheRunningOndrelDropsLinksNoSignInWaitsFor) {
    QTemporaryDir runtime;
    const auto start = [&](const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ONDREL_SERVICE_URL"), "http://127.0.0.1:9");
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath("config"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(ONDREL_BINARY), arguments);
        return process;
    };
    const auto finished = [](QProcess& process) {
        return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30s);
    };
    const auto first = start({});
    const QString serverName = SingleInstance::serverNameIn(runtime.path());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(serverName); }, 30s))
        << first->readAllStandardError().toStdString();

    for (const char* link :
         {"ondrel://auth?access=SECRET&refresh=R", "https://evil.example/?access=SECRET"}) {
        const auto second = start({QString::fromLatin1(link)});
        ASSERT_TRUE(finished(*second));
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
    }
    QByteArray log;
    EXPECT_TRUE(waitUntil([&] {
        log += first->readAllStandardError();
        return log.contains("dropped a sign-in callback: no sign-in is pending") &&
               log.contains("dropped a URL that is not an ondrel callback");
    }));
    EXPECT_FALSE(log.contains("SECRET")) << log.toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    EXPECT_TRUE(finished(*first));
}
