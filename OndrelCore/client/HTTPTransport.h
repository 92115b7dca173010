#pragma once

#include "OndrelCore/client/HTTPRequest.h"
#include "OndrelCore/client/HTTPResponse.h"

#include <QCoroTask>

// The one seam between the service client and the network. Every status comes back as data;
// a network failure throws TransportError, a non-HTTP response APIError::invalidResponse.
// Shared by every client built from a session, so held through std::shared_ptr.
class HTTPTransport {
public:
    virtual ~HTTPTransport() = default;
    virtual QCoro::Task<HTTPResponse> send(HTTPRequest request) = 0;
};
