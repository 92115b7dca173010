#include "OndrelCore/client/NetworkTransport.h"

#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/TransportError.h"

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
    // Qt follows redirects with every header, Authorization included; a 3xx is the caller's.
    result.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                        QNetworkRequest::ManualRedirectPolicy);
    return result;
}

// Errors below 100 are about the connection itself (refused, closed, timed out, cancelled,
// TLS...). They mean the answer is missing or incomplete even when a status line arrived.
bool isConnectionFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
}

// Nothing but the transfer timeout aborts our replies, yet Qt reports it as a cancellation.
TransportError transportError(const QNetworkReply& reply) {
    if (reply.error() == QNetworkReply::OperationCanceledError)
        return TransportError(QNetworkReply::TimeoutError, reply.errorString());
    return TransportError(reply.error(), reply.errorString());
}

HTTPResponse toResponse(QNetworkReply& reply) {
    const auto error = reply.error();
    if (isConnectionFailure(error))
        throw transportError(reply);
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        return HTTPResponse{.body = reply.readAll(), .statusCode = status.toInt()};
    if (error != QNetworkReply::NoError)
        throw transportError(reply);
    throw APIError::invalidResponse();
}

// sendCustomRequest carries any verb, PATCH and DELETE with or without a body alike; a plain
// GET goes through get() so that non-HTTP schemes are reported as such, not as unknown verbs.
// POST and PATCH always send a body, an empty one included: without "Content-Length: 0" some
// front ends answer 411.
QNetworkReply* issue(QNetworkAccessManager& manager, const HTTPRequest& request,
                     const QNetworkRequest& networkRequest) {
    if (request.body)
        return manager.sendCustomRequest(networkRequest, request.method, *request.body);
    if (request.method == "POST" || request.method == "PATCH")
        return manager.sendCustomRequest(networkRequest, request.method, QByteArray());
    if (request.method == "GET")
        return manager.get(networkRequest);
    return manager.sendCustomRequest(networkRequest, request.method);
}

} // namespace

NetworkTransport::NetworkTransport() : m_manager(std::make_unique<QNetworkAccessManager>()) {}

NetworkTransport::~NetworkTransport() = default;

QCoro::Task<HTTPResponse> NetworkTransport::send(HTTPRequest request) {
    const QNetworkRequest networkRequest = toNetworkRequest(request);
    std::unique_ptr<QNetworkReply, LaterDelete> reply(issue(*m_manager, request, networkRequest));
    co_await reply.get();
    co_return toResponse(*reply);
}
