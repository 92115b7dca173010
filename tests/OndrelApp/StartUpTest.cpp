#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include "OndrelApp/instance/ApplicationService.h"
#include "OndrelApp/instance/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace {

using namespace std::chrono_literals;

const QString signInLink = QStringLiteral("ondrel://auth?access=SECRET&refresh=R");

// `ondrel` processes, headless, in a runtime directory of their own, so the test never meets
// the user's running Ondrel, and on no session bus unless the test starts one. A process still
// running when its QProcess goes is killed.
class Ondrels {
public:
    Ondrels() {
        m_environment.insert(QStringLiteral("ONDREL_SERVICE_URL"), "http://127.0.0.1:9");
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_runtime.filePath("config"));
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                             "unix:path=" + m_runtime.filePath("no-bus"));
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments,
                                    const QString& program = QStringLiteral(ONDREL_BINARY)) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_environment);
        process->start(program, arguments);
        return process;
    }
    QString serverName() const { return SingleInstance::serverNameIn(m_runtime.path()); }
    QString path(const QString& name = {}) const {
        return name.isEmpty() ? m_runtime.path() : m_runtime.filePath(name);
    }
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();

private:
    QTemporaryDir m_runtime;
};

bool finished(QProcess& process) {
    return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30s);
}

// Whether the standard error of `process`, gathered into `log`, comes to hold every line.
bool logs(QProcess& process, QByteArray& log, const QList<QByteArray>& lines) {
    return waitUntil([&] {
        log += process.readAllStandardError();
        return std::all_of(lines.begin(), lines.end(),
                           [&](auto& line) { return log.contains(line); });
    });
}

// What every user of the machine reads as the process's command line.
QByteArray commandLineOf(qint64 pid) {
    return readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
}

} // namespace

// The first `ondrel` becomes the window, and performs the action it was started with; later
// ones hand their links and actions over and leave. The first drops the links, as no sign-in is
// waiting or as they are not its own, and logs no token. Signed out, an action only raises the
// window, yet it arrives.
TEST(StartUp, TheRunningOndrelTakesActionsAndDropsLinksNoSignInWaitsFor) {
    Ondrels ondrels;
    const auto first = ondrels.start({QStringLiteral("--record")});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(ondrels.serverName()); }, 30s))
        << first->readAllStandardError().toStdString();

    for (const QString& argument :
         {signInLink, QStringLiteral("https://evil.example/?access=SECRET"),
          QStringLiteral("--write")}) {
        const auto second = ondrels.start({argument});
        ASSERT_TRUE(finished(*second));
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
    }
    QByteArray log;
    EXPECT_TRUE(logs(*first, log,
                     {"recording requested", "typing requested",
                      "dropped a sign-in callback: no sign-in is pending",
                      "dropped a URL that is not an ondrel callback"}))
        << log.toStdString();
    EXPECT_FALSE(log.contains("SECRET")) << log.toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    EXPECT_TRUE(finished(*first));
}

// A link on the command line is gone from it once `ondrel` runs: in the window's process, and
// in one handing the link over, held here by a stand-in for the running instance while the
// test looks. The hand-over still carries the link.
TEST(StartUp, ALinkLeavesNoTraceOnTheCommandLine) {
    Ondrels ondrels;
    const auto first = ondrels.start({signInLink});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(ondrels.serverName()); }, 30s));
    EXPECT_FALSE(commandLineOf(first->processId()).contains("SECRET"));

    Ondrels handingOver;
    QLocalServer standIn;
    ASSERT_TRUE(standIn.listen(handingOver.serverName()));
    const auto second = handingOver.start({signInLink});
    QLocalSocket* peer = nullptr;
    QByteArray line;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!peer && (peer = standIn.nextPendingConnection()))
                peer->waitForReadyRead(0);
            line += peer ? peer->readAll() : QByteArray();
            return line.endsWith('\n');
        },
        30s));
    EXPECT_EQ(line, signInLink.toUtf8() + '\n');
    const QByteArray commandLine = commandLineOf(second->processId());
    EXPECT_TRUE(commandLine.startsWith(ONDREL_BINARY)) << commandLine.toStdString();
    EXPECT_FALSE(commandLine.contains("SECRET")) << commandLine.toStdString();
    peer->write("ok\n");
    peer->flush();
    ASSERT_TRUE(finished(*second));
    EXPECT_EQ(second->exitCode(), 0);
}

// A desktop that starts applications through the session bus (a private one here, with the
// service file as installed) starts `ondrel --dbus-activated` and calls it: links and actions
// arrive as calls, never on a command line, and later processes still hand over.
TEST(StartUp, TheBusStartsOndrelAndHandsItLinksAndActions) {
    Ondrels ondrels;
    QDir().mkpath(ondrels.path("services"));
    ASSERT_TRUE(writeFile(ondrels.path("services/org.ondrel.Ondrel.service"),
                          "[D-BUS Service]\nName=org.ondrel.Ondrel\nExec=" ONDREL_BINARY
                          " --dbus-activated\n"));
    ondrels.m_environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    PrivateBus privateBus(ondrels.path("services"), ondrels.m_environment);
    QDBusConnection bus = privateBus.connect();
    const auto call = [&](const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            ApplicationService::serviceName, ApplicationService::objectPath,
            QStringLiteral("org.freedesktop.Application"), method);
        message.setArguments(arguments);
        QDBusPendingCall pending = bus.asyncCall(message, 30000);
        EXPECT_TRUE(waitUntil([&] { return pending.isFinished(); }, 30s));
        EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
    };
    call(QStringLiteral("Open"), {QStringList{signInLink}, QVariantMap{}});
    const QDBusReply<uint> pid = bus.interface()->servicePid(ApplicationService::serviceName);
    ASSERT_TRUE(pid.isValid());
    const auto stop = qScopeGuard([&] { ::kill(pid_t(pid.value()), SIGTERM); });
    call(QStringLiteral("ActivateAction"), {"record", QVariantList{}, QVariantMap{}});
    EXPECT_TRUE(commandLineOf(pid.value()).startsWith(ONDREL_BINARY));

    ondrels.m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), privateBus.address());
    const auto later = ondrels.start({QStringLiteral("--write")});
    EXPECT_TRUE(finished(*later));
    QByteArray log;
    EXPECT_TRUE(logs(privateBus.daemon(), log,
                     {"dropped a sign-in callback: no sign-in is pending", "recording requested",
                      "typing requested"}))
        << log.toStdString();
    EXPECT_FALSE(log.contains("SECRET"));
    ::kill(pid_t(pid.value()), SIGTERM);
    EXPECT_TRUE(
        waitUntil([&] { return !commandLineOf(pid.value()).startsWith(ONDREL_BINARY); }, 30s));
}
