#include "support/WaitUntil.h"

#include "OndrelSandbox.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

bool finished(QProcess& process) {
    return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30s);
}

} // namespace

// The executable's own start-up: the first `ondrel` becomes the window, a later one hands its
// link over, and the first drops it because no sign-in is waiting; the token is not logged.
TEST(StartUp, TheRunningOndrelDropsALinkNoSignInWaitsFor) {
    OndrelSandbox sandbox;
    QProcessEnvironment service;
    service.insert(QStringLiteral("ONDREL_SERVICE_URL"), QStringLiteral("http://127.0.0.1:9"));
    const auto first = sandbox.start({}, service);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(sandbox.serverName()); }, 30s))
        << first->readAllStandardError().toStdString();

    const auto second = sandbox.start({QStringLiteral("ondrel://auth?access=SECRET&refresh=R")});
    ASSERT_TRUE(finished(*second));
    EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();

    QByteArray log;
    EXPECT_TRUE(waitUntil([&] {
        log += first->readAllStandardError();
        return log.contains("dropped a sign-in callback: no sign-in is pending");
    }));
    EXPECT_FALSE(log.contains("SECRET")) << log.toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    EXPECT_TRUE(finished(*first));
}

TEST(StartUp, RefusesAServiceURLThatIsNotOne) {
    OndrelSandbox sandbox;
    QProcessEnvironment service;
    service.insert(QStringLiteral("ONDREL_SERVICE_URL"), QStringLiteral("ftp://example.org/"));
    const auto refused = sandbox.start({}, service);
    ASSERT_TRUE(finished(*refused));
    EXPECT_EQ(refused->exitCode(), 1);
    EXPECT_TRUE(refused->readAllStandardError().contains("ONDREL_SERVICE_URL"));
}
