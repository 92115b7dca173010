#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// Whether the last completed update check found an installable update. False at every launch;
// only the two reports of a finished check change it, and always on the object's own (GUI)
// thread, whichever thread reports.
class UpdateState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application at launch")
    Q_PROPERTY(bool available READ available NOTIFY availableChanged)

public:
    explicit UpdateState(QObject* parent = nullptr) : QObject(parent) {}

    bool available() const { return m_available; }

    void reportValidUpdate() { report(true); }
    void reportNoUpdate() { report(false); }

Q_SIGNALS:
    void availableChanged();

private:
    void report(bool available);

    bool m_available = false;
};
