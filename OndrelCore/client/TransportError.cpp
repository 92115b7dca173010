#include "OndrelCore/client/TransportError.h"

namespace {

// Qt numbers its errors in ranges: below 100 the connection, then the proxy, the content,
// the protocol and the server. A kind without its own line is named by its range.
QString describeRange(QNetworkReply::NetworkError error) {
    if (error < QNetworkReply::ProxyConnectionRefusedError)
        return QStringLiteral("ошибка соединения");
    if (error < QNetworkReply::ContentAccessDenied)
        return QStringLiteral("ошибка прокси-сервера");
    if (error < QNetworkReply::ProtocolUnknownError)
        return QStringLiteral("сервер не отдал ресурс");
    if (error < QNetworkReply::InternalServerError)
        return QStringLiteral("ошибка протокола");
    return QStringLiteral("ошибка на стороне сервера");
}

} // namespace

QString TransportError::describe(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("нет соединения с сервисом");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("сервис разорвал соединение");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("сервер не найден");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("сервис не отвечает");
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("запрос отменён");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("защищённое соединение не установлено");
    case QNetworkReply::TemporaryNetworkFailureError:
        return QStringLiteral("сеть временно недоступна");
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("нет подключения к сети");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return QStringLiteral("прокси-сервер недоступен");
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("прокси-сервер требует входа");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("слишком много перенаправлений");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("перенаправление на незащищённый адрес");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("адрес с неподдерживаемой схемой");
    case QNetworkReply::UnknownNetworkError:
        return QStringLiteral("ошибка сети");
    default:
        return describeRange(error);
    }
}

TransportError::TransportError(QNetworkReply::NetworkError error, const QString& platformText)
    : m_error(error), m_description(describe(error)), m_platformText(platformText),
      m_what(m_description.toUtf8()) {}
