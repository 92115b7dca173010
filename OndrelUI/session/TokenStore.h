#pragma once

#include <QCoroTask>
#include <QObject>
#include <QVariant>
#include <QVariantMap>

// Where the session's token record lives at rest. The record is kept as written; what counts
// as a token in it is the session's business. Lives on the GUI thread.
class TokenStore : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The stored record, or an invalid QVariant when there is none. May wait (a keyring can
    // take a while, or ask the user to unlock it) but never blocks the event loop.
    virtual QCoro::Task<QVariant> load() = 0;
    // Replaces the record; later calls win over earlier ones.
    virtual void save(const QVariantMap& record) = 0;
    // Deletes the record wherever it may be kept.
    virtual void remove() = 0;

Q_SIGNALS:
    // The keyring would not keep the record, so the settings file does; said at most once.
    void fellBackToFile();
};
