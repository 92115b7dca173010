#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A value that JSON cannot carry, such as a non-finite number.
class EncodingError : public std::exception {
public:
    explicit EncodingError(QString description)
        : m_description(std::move(description)), m_what(m_description.toUtf8()) {}

    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};
