#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

#include <exception>

// A request that got no HTTP answer: refused, timed out, cancelled, TLS failure and the like.
// The description is the short Russian text an error line shows after "Не удалось …: ".
class TransportError : public std::exception {
public:
    // `platformText` is Qt's own English text: kept for diagnostics, never shown.
    TransportError(QNetworkReply::NetworkError error, const QString& platformText);

    // The Russian description of any network error, for every line that reports one.
    static QString describe(QNetworkReply::NetworkError error);

    QNetworkReply::NetworkError error() const { return m_error; }
    const QString& description() const { return m_description; }
    const QString& platformText() const { return m_platformText; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QNetworkReply::NetworkError m_error;
    QString m_description;
    QString m_platformText;
    QByteArray m_what;
};
