#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A request the service refuses: the HTTP status and the text body that explains why.
class ServiceError : public std::exception {
public:
    ServiceError(int status, QString message)
        : m_status(status), m_message(std::move(message)), m_what(m_message.toUtf8()) {}

    int status() const { return m_status; }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_status;
    QString m_message;
    QByteArray m_what;
};
