#include "PrivatePulseServer.h"

#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <csignal>

using namespace std::chrono_literals;

PrivatePulseServer::PrivatePulseServer() {
    if (!launch())
        return;
    const QString socket = m_runtimeDir.filePath(QStringLiteral("pulse/native"));
    setEnvironment("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path()));
    setEnvironment("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
    // The client's cookie goes here, not into the user's home.
    setEnvironment("PULSE_COOKIE", QFile::encodeName(m_runtimeDir.filePath("cookie")));
}

PrivatePulseServer::~PrivatePulseServer() {
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    stop();
}

void PrivatePulseServer::stop() {
    if (m_server.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_server.processId()), SIGTERM);
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}

bool PrivatePulseServer::launch() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty()) {
        m_failure = QStringLiteral("pulseaudio is not installed");
        return false;
    }
    if (!m_runtimeDir.isValid() ||
        !QFile::setPermissions(m_runtimeDir.path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        m_failure = QStringLiteral("no private runtime folder");
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    environment.insert(QStringLiteral("HOME"), m_runtimeDir.path()); // its state stays here too
    environment.remove(QStringLiteral("PULSE_SERVER"));
    m_server.setProcessEnvironment(environment);
    m_server.setStandardOutputFile(QProcess::nullDevice());
    // The sine plays into a sink with no hardware behind it; its monitor, remapped into an
    // ordinary source (Qt lists no monitors), is the microphone. module-sine-source would be
    // shorter, but it delivers in two-second bursts ahead of the clock, so the length of a
    // recording would say nothing.
    m_server.start(program,
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1"),
                    QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=room"),
                    QStringLiteral("-L"), QStringLiteral("module-sine sink=room frequency=440"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-remap-source master=room.monitor "
                                   "source_name=microphone")});
    const QString socket = m_runtimeDir.filePath(QStringLiteral("pulse/native"));
    const bool ready = waitUntil(
        [&] { return QFile::exists(socket) || m_server.state() == QProcess::NotRunning; }, 10s);
    if (ready && QFile::exists(socket))
        return true;
    m_failure = QStringLiteral("pulseaudio did not come up: %1")
                    .arg(QString::fromLocal8Bit(m_server.readAllStandardError()).trimmed());
    return false;
}

void PrivatePulseServer::setEnvironment(const char* name, const QByteArray& value) {
    m_savedEnvironment.emplace(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                     : std::nullopt);
    qputenv(name, value);
}
