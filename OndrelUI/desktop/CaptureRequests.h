#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// STAND-IN: carries "write" and "record" requests from outside the window (the tray, the global
// shortcuts) to the root screen, until the window's own request object from the command-line
// hand-over lands; then this type goes and both callers use that one.
class CaptureRequests : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created at start-up")

public:
    using QObject::QObject;

    // What the desktop shows for the two requests: the tray's entries, the shortcuts' names.
    static QString writeText() { return QStringLiteral("Написать задачу"); }
    static QString recordText() { return QStringLiteral("Записать голосом"); }

    void requestWrite() { Q_EMIT writeRequested(); }
    void requestRecord() { Q_EMIT recordRequested(); }

Q_SIGNALS:
    void writeRequested();
    void recordRequested();
};
