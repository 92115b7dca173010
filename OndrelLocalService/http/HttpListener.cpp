#include "OndrelLocalService/http/HttpListener.h"

#include "OndrelLocalService/http/HttpConnection.h"
#include "OndrelLocalService/http/Refusals.h"

#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <sstream>
#include <sys/resource.h>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

namespace {

// When accepting fails (out of descriptors, most likely), wait instead of spinning.
constexpr std::chrono::milliseconds acceptRetry{100};

std::string busyAnswer() {
    const HttpReply busy = Refusals::busy();
    http::response<http::string_body> response(http::status(busy.status), 11);
    response.set(http::field::content_type, busy.contentType.toStdString());
    for (const auto& [name, value] : busy.headers)
        response.set(name.toStdString(), value.toStdString());
    response.keep_alive(false);
    response.body() = busy.body.toStdString();
    response.prepare_payload();
    std::ostringstream text;
    text << response;
    return text.str();
}

// The cap must leave descriptors for the database, the listening socket and the rest, or
// accepting would fail instead of the cap refusing.
int connectionsTheSystemAllows() {
    constexpr rlim_t spare = 64;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<int>::max();
    return int(std::max<rlim_t>(limit.rlim_cur, 2 * spare) - spare);
}

} // namespace

HttpListener::HttpListener(HttpLimits limits, ConnectionPool::Handler handler)
    : m_limits(limits), m_handler(std::move(handler)) {}

HttpListener::~HttpListener() {
    stop();
}

quint16 HttpListener::listen(quint16 port) {
    boost::system::error_code error;
    const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    m_acceptor.open(endpoint.protocol(), error);
    if (!error)
        m_acceptor.set_option(asio::socket_base::reuse_address(true), error);
    if (!error)
        m_acceptor.bind(endpoint, error);
    if (!error)
        m_acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error)
        return 0;
    const quint16 bound = m_acceptor.local_endpoint().port();
    HttpLimits limits = m_limits;
    limits.maxConnections = std::min(limits.maxConnections, connectionsTheSystemAllows());
    m_pool = std::make_shared<ConnectionPool>(limits, bound, m_handler);
    accept();
    m_thread = std::thread([this] {
        for (;;) {
            try {
                m_io.run();
                return;
            } catch (const std::exception& failure) {
                // One connection's failure (out of memory, say) must not end the service.
                std::fprintf(stderr, "ondrel-local-service: %s\n", failure.what());
            }
        }
    });
    return bound;
}

void HttpListener::stop() {
    m_io.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void HttpListener::accept() {
    m_acceptor.async_accept([this](boost::system::error_code error, tcp::socket socket) {
        if (error == asio::error::operation_aborted)
            return;
        if (error) {
            m_retry.expires_after(acceptRetry);
            m_retry.async_wait([this](boost::system::error_code waited) {
                if (!waited)
                    accept();
            });
            return;
        }
        admit(std::move(socket));
        accept();
    });
}

void HttpListener::admit(tcp::socket socket) {
    if (m_pool->isFull() && !m_pool->evictIdle())
        return refuseBusy(socket);
    std::make_shared<HttpConnection>(std::move(socket), m_pool)->start();
}

// Answered at once, without a connection of its own: the request is never read.
void HttpListener::refuseBusy(tcp::socket& socket) {
    static const std::string answer = busyAnswer();
    boost::system::error_code ignored;
    socket.non_blocking(true, ignored);
    socket.write_some(asio::buffer(answer), ignored);
    socket.shutdown(tcp::socket::shutdown_send, ignored);
    char dropped[4096];
    socket.read_some(asio::buffer(dropped), ignored); // what has arrived already, without waiting
    socket.close(ignored);
}
