#pragma once

#include "OndrelApp/instance/SingleInstance.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// A runtime directory of its own (private to the user, as the desktop's is) and headless
// `ondrel` processes started in it, so tests never meet the user's running Ondrel.
class OndrelSandbox {
public:
    QString serverName() const { return SingleInstance::serverNameIn(m_runtime.path()); }
    QString filePath(const QString& name) const { return m_runtime.filePath(name); }

    // A process still running when its QProcess goes is killed, so a hand-over that fails cannot
    // leave a window behind.
    std::unique_ptr<QProcess> start(const QStringList& arguments,
                                    const QProcessEnvironment& extra = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : extra.keys())
            environment.insert(name, extra.value(name));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_runtime.filePath("config"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(ONDREL_BINARY), arguments);
        return process;
    }

private:
    QTemporaryDir m_runtime;
};
