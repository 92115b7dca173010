#pragma once

#include "OndrelLocalService/http/ServiceRouter.h"

#include <QAbstractHttpServer>

// The HTTP front of the service: takes each request off the socket, lets the router answer
// and writes the answer back. Routing is our own so that ids are percent-decoded per path
// segment and a known path with the wrong method gets 405.
class LocalServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    LocalServer(ServiceStore& store, ServiceRouter::Settings settings,
                Assistant::LocalClock localNow = &QDateTime::currentDateTime,
                QObject* parent = nullptr);

    // Listens on 127.0.0.1 only; `port` 0 picks a free one. Gives the port, or 0 on failure.
    quint16 listenOnLoopback(quint16 port);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    ServiceRouter m_router;
};
