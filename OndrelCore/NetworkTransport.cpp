#include "OndrelCore/NetworkTransport.h"

#include "OndrelCore/APIError.h"
#include "OndrelCore/TransportError.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

struct LaterDelete {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

QNetworkRequest toNetworkRequest(const HTTPRequest& request) {
    QNetworkRequest result(request.url);
    for (const auto& [name, value] : request.headers)
        result.setRawHeader(name, value);
    result.setAttribute(QNetworkRequest::CacheLoadControlAttribute, request.cachePolicy);
    result.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    result.setTransferTimeout(static_cast<int>(request.timeout.count()));
    return result;
}

// Errors below 100 are about the connection itself (refused, closed, timed out, cancelled,
// TLS...). They mean the answer is missing or incomplete even when a status line arrived.
bool isConnectionFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
}

HTTPResponse toResponse(QNetworkReply& reply) {
    const auto error = reply.error();
    if (isConnectionFailure(error))
        throw TransportError(error, reply.errorString());
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        return HTTPResponse{.body = reply.readAll(), .statusCode = status.toInt()};
    if (error != QNetworkReply::NoError)
        throw TransportError(error, reply.errorString());
    throw APIError::invalidResponse();
}

} // namespace

NetworkTransport::NetworkTransport() : m_manager(std::make_unique<QNetworkAccessManager>()) {}

NetworkTransport::~NetworkTransport() = default;

QCoro::Task<HTTPResponse> NetworkTransport::send(HTTPRequest request) {
    const QNetworkRequest networkRequest = toNetworkRequest(request);
    // sendCustomRequest carries any verb, PATCH and DELETE with or without a body alike.
    std::unique_ptr<QNetworkReply, LaterDelete> reply(
        request.body ? m_manager->sendCustomRequest(networkRequest, request.method, *request.body)
                     : m_manager->sendCustomRequest(networkRequest, request.method));
    co_await reply.get();
    co_return toResponse(*reply);
}
