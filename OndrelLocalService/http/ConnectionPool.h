#pragma once

#include "OndrelLocalService/http/BodyBudget.h"
#include "OndrelLocalService/http/HttpCall.h"
#include "OndrelLocalService/http/HttpLimits.h"
#include "OndrelLocalService/http/HttpReply.h"

#include <functional>
#include <unordered_set>

class HttpConnection;

// What the open connections of one listener share: limits, the body memory, the request
// handler and the list of connections. Lives on the I/O thread; each connection keeps it alive.
class ConnectionPool {
public:
    // Callable from any thread, once.
    using Respond = std::function<void(HttpReply)>;
    // Called on the I/O thread with each complete request.
    using Handler = std::function<void(HttpCall, Respond)>;

    ConnectionPool(HttpLimits limits, quint16 port, Handler handler)
        : m_limits(limits), m_port(port), m_handler(std::move(handler)),
          m_bodies(limits.bodyMemory) {}

    const HttpLimits& limits() const { return m_limits; }
    quint16 port() const { return m_port; }
    BodyBudget& bodies() { return m_bodies; }
    void handle(HttpCall call, Respond respond) const {
        m_handler(std::move(call), std::move(respond));
    }

    void add(HttpConnection* connection) { m_open.insert(connection); }
    void remove(HttpConnection* connection) { m_open.erase(connection); }
    bool isFull() const { return qsizetype(m_open.size()) >= m_limits.maxConnections; }
    // Closes the connection that has waited longest for its next request; false when every
    // connection is busy.
    bool evictIdle();

private:
    HttpLimits m_limits;
    quint16 m_port;
    Handler m_handler;
    BodyBudget m_bodies;
    std::unordered_set<HttpConnection*> m_open;
};
