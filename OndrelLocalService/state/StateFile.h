#pragma once

#include "OndrelLocalService/state/ServiceState.h"

#include <QString>

#include <optional>

// The service's data file: the whole state as JSON, replaced atomically on every save so a
// crash leaves either the old or the new state, never half of one.
class StateFile {
public:
    explicit StateFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // No value when the file does not exist yet. Throws std::runtime_error with a readable
    // message when it exists but cannot be read or is not a valid state.
    std::optional<ServiceState> load() const;
    // Throws std::runtime_error when the file cannot be written; the old file is then intact.
    void save(const ServiceState& state) const;

    static QByteArray encode(const ServiceState& state);
    static ServiceState decode(QByteArrayView bytes);

private:
    QString m_path;
};
