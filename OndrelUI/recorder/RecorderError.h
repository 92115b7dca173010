#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Why a recording could not begin or could not go on: no input device, a device that refused to
// open, a file that could not be written, an encoder failure.
class RecorderError : public std::exception {
public:
    explicit RecorderError(QString description)
        : m_description(std::move(description)), m_what(m_description.toUtf8()) {}

    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};
