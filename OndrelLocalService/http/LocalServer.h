#pragma once

#include "OndrelLocalService/http/HttpLimits.h"
#include "OndrelLocalService/http/ServiceRouter.h"

#include <QObject>

#include <memory>

class HttpListener;

// The service on the network. HTTP is spoken on an I/O thread of its own (see HttpListener);
// every complete request is handed to this object's thread, where the router and the store
// live and answer one request at a time, and the answer is handed back. So the service stays
// an ordinary Qt program, and a slow client never holds up another.
class LocalServer : public QObject {
    Q_OBJECT

public:
    LocalServer(ServiceStore& store, ServiceRouter::Settings settings, QObject* parent = nullptr);
    ~LocalServer() override;

    // Before listening; the defaults suit the real service.
    void setLimits(const HttpLimits& limits) { m_limits = limits; }

    // Listens on 127.0.0.1 only; `port` 0 picks a free one. Gives the port, or 0 on failure.
    quint16 listenOnLoopback(quint16 port);

private:
    ServiceRouter m_router;
    HttpLimits m_limits;
    std::unique_ptr<HttpListener> m_listener;
};
