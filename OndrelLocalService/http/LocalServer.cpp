#include "OndrelLocalService/http/LocalServer.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>

namespace {
HttpCall callFrom(const QHttpServerRequest& request) {
    HttpCall call;
    const QMetaEnum methods = QMetaEnum::fromType<QHttpServerRequest::Method>();
    call.method = QByteArray(methods.valueToKey(int(request.method()))).toUpper();
    call.path = request.url().path(QUrl::FullyEncoded);
    call.query = request.query();
    for (const auto& [name, value] : request.headers())
        if (name.compare("authorization", Qt::CaseInsensitive) == 0)
            call.authorization = value;
    call.body = request.body();
    return call;
}
} // namespace

LocalServer::LocalServer(ServiceStore& store, ServiceRouter::Settings settings,
                         Assistant::LocalClock localNow, QObject* parent)
    : QAbstractHttpServer(parent), m_router(store, settings, std::move(localNow)) {}

quint16 LocalServer::listenOnLoopback(quint16 port) {
    return listen(QHostAddress::LocalHost, port);
}

bool LocalServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const HttpReply reply = m_router.handle(callFrom(request));
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    for (const auto& [name, value] : reply.headers)
        responder.writeHeader(name, value);
    responder.writeBody(reply.body);
    return true;
}

void LocalServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
