#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

#include <exception>

// A request that got no HTTP answer: refused, timed out, cancelled, TLS failure and the like.
// The description is the short Russian text an error line shows after "Не удалось …: ".
class TransportError : public std::exception {
public:
    // `platformText` (Qt's own English text) is the description only for a kind without one.
    TransportError(QNetworkReply::NetworkError error, const QString& platformText);

    QNetworkReply::NetworkError error() const { return m_error; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QNetworkReply::NetworkError m_error;
    QString m_description;
    QByteArray m_what;
};
