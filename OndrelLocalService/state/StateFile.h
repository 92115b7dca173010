#pragma once

#include "OndrelLocalService/state/ServiceState.h"

#include <QString>

#include <optional>

// The JSON data file of earlier versions, which kept the whole state in one file. It is only
// read now, once, when a new database takes it over.
class StateFile {
public:
    explicit StateFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // No value when the file does not exist. Throws std::runtime_error with a readable message
    // when it exists but cannot be read or is not a valid state.
    std::optional<ServiceState> load() const;

    static QByteArray encode(const ServiceState& state);
    static ServiceState decode(QByteArrayView bytes);

private:
    QString m_path;
};
