#pragma once

#include "OndrelLocalService/http/ConnectionPool.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <memory>
#include <thread>

// The HTTP server on 127.0.0.1: Boost.Beast over Boost.Asio, on an I/O thread of its own.
// Parsing, limits, timeouts and connection management happen there; each complete request
// goes to the handler, whose answer may come back from any thread.
class HttpListener {
public:
    HttpListener(HttpLimits limits, ConnectionPool::Handler handler);
    ~HttpListener();
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Binds 127.0.0.1:`port` (0 picks a free one) and starts the I/O thread. Gives the port,
    // or 0 when it cannot listen.
    quint16 listen(quint16 port);
    // Stops the I/O thread; no handler runs after it returns. Idempotent.
    void stop();

private:
    void accept();
    void admit(boost::asio::ip::tcp::socket socket);
    void refuseBusy(boost::asio::ip::tcp::socket& socket);

    HttpLimits m_limits;
    ConnectionPool::Handler m_handler;
    std::shared_ptr<ConnectionPool> m_pool;
    // Declared after the pool, so destroyed before it: the pending operations it still holds
    // own connections, which leave the pool as they go.
    boost::asio::io_context m_io{1};
    boost::asio::ip::tcp::acceptor m_acceptor{m_io};
    boost::asio::steady_timer m_retry{m_io};
    std::thread m_thread;
};
