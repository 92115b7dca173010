#include "OndrelUI/session/SettingsTokenStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Makes the token file readable by its owner only before anything is written into it: a new
// one is created so, an existing one (other settings may have made it) is restricted first.
// QSettings keeps the file's permissions when it rewrites it. False when that cannot be done;
// settings that are no file (a registry) count as private.
bool makeOwnerOnly(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isAbsolute())
        return true;
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            file.close();
    }
    return QFile::setPermissions(fileName, ownerOnly);
}

} // namespace

SettingsTokenStore::SettingsTokenStore(QSettings* settings, QString key, QObject* parent)
    : TokenStore(parent), m_settings(settings), m_key(std::move(key)) {}

QVariant SettingsTokenStore::read() const {
    return m_settings->value(m_key);
}

QCoro::Task<QVariant> SettingsTokenStore::load() {
    co_return read();
}

void SettingsTokenStore::save(const QVariantMap& record) {
    if (!makeOwnerOnly(m_settings->fileName()))
        return;
    m_settings->setValue(m_key, record);
    m_settings->sync();
}

void SettingsTokenStore::remove() {
    if (!m_settings->contains(m_key))
        return;
    m_settings->remove(m_key);
    m_settings->sync();
}
