#include "OndrelLocalService/http/LocalServer.h"

#include "OndrelLocalService/http/HttpListener.h"

#include <QCoreApplication>

LocalServer::LocalServer(ServiceStore& store, ServiceRouter::Settings settings, QObject* parent)
    : QObject(parent), m_router(store, settings) {}

LocalServer::~LocalServer() {
    if (!m_listener)
        return;
    m_listener->stop();
    // Requests still queued for the router hold their connections, which must go before the
    // I/O they belong to.
    QCoreApplication::removePostedEvents(this);
    m_listener.reset();
}

quint16 LocalServer::listenOnLoopback(quint16 port) {
    if (m_listener)
        return 0;
    m_listener = std::make_unique<HttpListener>(
        m_limits, [this](HttpCall call, ConnectionPool::Respond respond) {
            // On the I/O thread: the router runs on this object's thread.
            QMetaObject::invokeMethod(
                this,
                [this, call = std::move(call), respond = std::move(respond)] {
                    respond(m_router.handle(call));
                },
                Qt::QueuedConnection);
        });
    const quint16 bound = m_listener->listen(port);
    if (bound == 0)
        m_listener.reset();
    return bound;
}
