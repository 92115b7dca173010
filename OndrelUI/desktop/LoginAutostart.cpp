#include "OndrelUI/desktop/LoginAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// An Exec argument, quoted when it holds anything the desktop entry format reserves.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(argument.begin(), argument.end(),
                     [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // Exec first undoes the string escapes of the file, so each backslash is written twice.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

} // namespace

LoginAutostart::LoginAutostart(QString configHome, QString desktopId, QString program,
                               QObject* parent)
    : QObject(parent), m_configHome(std::move(configHome)), m_desktopId(std::move(desktopId)),
      m_program(std::move(program)) {}

QString LoginAutostart::defaultConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString LoginAutostart::entryPath() const {
    return m_configHome + QStringLiteral("/autostart/") + m_desktopId + QStringLiteral(".desktop");
}

bool LoginAutostart::enabled() const {
    return QFile::exists(entryPath());
}

QByteArray LoginAutostart::entry() const {
    // The percent sign is the field-code escape of Exec.
    const QString exec =
        QString(execArgument(m_program)).replace(u'%', QStringLiteral("%%")) + u' ' + hiddenFlag();
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ondrel\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec, m_desktopId)
        .toUtf8();
}

void LoginAutostart::setEnabled(bool enabled) {
    if (enabled == this->enabled())
        return;
    const QString path = entryPath();
    if (!enabled) {
        if (!QFile::remove(path))
            qWarning("Could not remove the autostart entry %s", qPrintable(path));
    } else {
        QSaveFile file(path);
        // A line break in the program's path would end the Exec line.
        const bool printable = std::none_of(m_program.begin(), m_program.end(),
                                            [](QChar c) { return c.unicode() < 0x20; });
        const bool written = printable && QDir().mkpath(QFileInfo(path).path()) &&
                             file.open(QIODevice::WriteOnly) && file.write(entry()) >= 0 &&
                             file.commit();
        if (!written)
            qWarning("Could not write the autostart entry %s", qPrintable(path));
    }
    Q_EMIT enabledChanged();
}
