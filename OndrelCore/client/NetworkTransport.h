#pragma once

#include "OndrelCore/client/HTTPTransport.h"

#include <memory>

class QNetworkAccessManager;

// The production transport over QNetworkAccessManager. The manager belongs to the thread that
// built the transport (the GUI thread in the application); send() must be called there.
// Every HTTP status, 3xx (never followed), 401 and 500 included, comes back as data; a request
// that got no complete HTTP answer (refused, timed out, cancelled, cut off mid-body) throws
// TransportError.
class NetworkTransport : public HTTPTransport {
public:
    NetworkTransport();
    ~NetworkTransport() override;

    NetworkTransport(const NetworkTransport&) = delete;
    NetworkTransport& operator=(const NetworkTransport&) = delete;

    QCoro::Task<HTTPResponse> send(HTTPRequest request) override;

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
};
