#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>

// A PulseAudio server for one test and nothing else: no hardware, a 440 Hz half-scale sine as
// the default input, its socket in a fresh 0700 folder. While it lives, this process's
// PulseAudio clients (Qt Multimedia among them) talk to it; the environment is restored and the
// server stopped by its process id at the end. Runs as root too. Qt Multimedia connects once
// per process, so one server serves one test process.
class PrivatePulseServer {
public:
    PrivatePulseServer();
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // Why the server is not running; nothing when it is.
    const std::optional<QString>& failure() const { return m_failure; }
    // Ends the server by its process id, as a crash or a lost device would end the sound.
    void stop();

private:
    bool launch();
    void setEnvironment(const char* name, const QByteArray& value);

    QTemporaryDir m_runtimeDir;
    QProcess m_server;
    std::optional<QString> m_failure;
    std::map<QByteArray, std::optional<QByteArray>> m_savedEnvironment;
};
