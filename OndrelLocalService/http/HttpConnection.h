#pragma once

#include "OndrelLocalService/http/BodyBudget.h"
#include "OndrelLocalService/http/ConnectionPool.h"
#include "OndrelLocalService/http/QByteArrayBody.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>

#include <chrono>
#include <memory>
#include <optional>

// One client connection, on the I/O thread: reads one request at a time within the limits,
// hands it to the pool's handler and writes the answer, keeping the connection for the next
// request as long as both sides want to. Pending operations keep it alive.
class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
public:
    using Clock = std::chrono::steady_clock;

    HttpConnection(boost::asio::ip::tcp::socket socket, std::shared_ptr<ConnectionPool> pool);
    ~HttpConnection();

    void start();
    // Since when it has been waiting for the first byte of a request; no value while busy.
    std::optional<Clock::time_point> idleSince() const { return m_idleSince; }
    // Closes a waiting connection to make room for a new one.
    void evict();

private:
    class Responder;

    void awaitRequest();
    void readHeader();
    void onHeader(boost::beast::error_code error);
    std::optional<HttpReply> screen() const;
    void continueWithBody();
    void readBody();
    void dispatch();
    void answer(const HttpReply& reply);
    void refuse(const HttpReply& reply);
    void write(const HttpReply& reply, bool keepAlive, bool withBody);
    void linger();
    void drain();
    void close();

    boost::beast::tcp_stream m_stream;
    std::shared_ptr<ConnectionPool> m_pool;
    boost::beast::flat_buffer m_buffer;
    std::optional<boost::beast::http::request_parser<QByteArrayBody>> m_parser;
    std::optional<BodyBudget::Lease> m_lease;
    std::optional<Clock::time_point> m_idleSince;
    // Of the request being answered.
    unsigned m_version = 11;
    bool m_keepAlive = false;
    bool m_head = false;
};
