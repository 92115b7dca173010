#pragma once

#include "OndrelUI/session/TokenStore.h"

#include <QSettings>
#include <QString>

// The record in the per-user settings under a key, in a file readable by its owner only. A
// record that cannot be kept privately is not written at all.
class SettingsTokenStore : public TokenStore {
    Q_OBJECT

public:
    // `settings` is not owned and must outlive the store.
    SettingsTokenStore(QSettings* settings, QString key, QObject* parent = nullptr);

    // What load() yields, at once.
    QVariant read() const;

    QCoro::Task<QVariant> load() override;
    void save(const QVariantMap& record) override;
    void remove() override;

private:
    QSettings* m_settings;
    QString m_key;
};
