#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

#include <exception>

// A request that got no HTTP answer: refused, timed out, cancelled, TLS failure and the like.
class TransportError : public std::exception {
public:
    TransportError(QNetworkReply::NetworkError error, QString description)
        : m_error(error), m_description(std::move(description)), m_what(m_description.toUtf8()) {}

    QNetworkReply::NetworkError error() const { return m_error; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QNetworkReply::NetworkError m_error;
    QString m_description;
    QByteArray m_what;
};
