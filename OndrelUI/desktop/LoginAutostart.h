#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// "Запускать при входе в систему": an XDG autostart entry that starts Ondrel hidden in the
// tray. The entry's presence is the setting; nothing else stores it.
class LoginAutostart : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created at start-up")

    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)

public:
    // `configHome`: the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config);
    // `desktopId`: the desktop entry's name without ".desktop"; `program`: what to start.
    LoginAutostart(QString configHome, QString desktopId, QString program,
                   QObject* parent = nullptr);

    // The folder and flag the program is started with at login.
    static QString defaultConfigHome();
    static QString hiddenFlag() { return QStringLiteral("--hidden"); }

    QString entryPath() const;
    bool enabled() const;
    // Writes or removes the entry; on failure a warning is logged and `enabled` stays true to
    // the file.
    void setEnabled(bool enabled);

Q_SIGNALS:
    void enabledChanged();

private:
    QByteArray entry() const;

    QString m_configHome;
    QString m_desktopId;
    QString m_program;
};
