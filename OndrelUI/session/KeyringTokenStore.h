#pragma once

#include "OndrelUI/session/SettingsTokenStore.h"

#include <QString>

#include <optional>

// The record in the desktop's keyring (the Secret Service, through QtKeychain) as one secret,
// the record's JSON, under the service name and the record's key. The settings file stands in
// while the keyring refuses (none on the bus, locked, access denied): the store then says so
// once and keeps the record in the file for the rest of the run. A record found in the file,
// written by an earlier version or while no keyring answered, moves into the keyring once and
// leaves the file.
class KeyringTokenStore : public TokenStore {
    Q_OBJECT

public:
    // `settings` is not owned and must outlive the store.
    KeyringTokenStore(QString service, QSettings* settings, QString key, QObject* parent = nullptr);

    QCoro::Task<QVariant> load() override;
    void save(const QVariantMap& record) override;
    void remove() override;

private:
    QCoro::Task<QVariant> moveIntoKeyring(QVariant record);
    void fallBack();

    QString m_service;
    QString m_key;
    SettingsTokenStore m_file;
    bool m_inFile = false;
    bool m_toldFallback = false;
    // What the last save or remove asked for: what the file gets when the keyring refuses it.
    std::optional<QVariantMap> m_latest;
};
