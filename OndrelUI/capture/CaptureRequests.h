#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Requests to capture a task that come from outside the window: `ondrel --record` and
// `ondrel --write` (handed over or called over the bus), the tray's menu, the desktop's global
// shortcuts. The root screen performs them while it is up: record() starts or stops a voice
// recording, write() focuses the input line. Signed out there is no root screen, and a request
// only brings the window up (the executable raises it on either signal).
class CaptureRequests : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("One per application, made at start-up")

public:
    using QObject::QObject;

    // What the desktop shows for the two requests: the tray's entries, the shortcuts' names.
    static QString writeText() { return QStringLiteral("Написать задачу"); }
    static QString recordText() { return QStringLiteral("Записать голосом"); }

    Q_INVOKABLE void record();
    Q_INVOKABLE void write();

Q_SIGNALS:
    void recordRequested();
    void writeRequested();
};
