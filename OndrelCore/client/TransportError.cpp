#include "OndrelCore/client/TransportError.h"

namespace {

QString describe(QNetworkReply::NetworkError error, const QString& platformText) {
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
    case QNetworkReply::UnknownNetworkError:
        return QStringLiteral("ошибка сети");
    default:
        return platformText;
    }
}

} // namespace

TransportError::TransportError(QNetworkReply::NetworkError error, const QString& platformText)
    : m_error(error), m_description(describe(error, platformText)), m_what(m_description.toUtf8()) {
}
