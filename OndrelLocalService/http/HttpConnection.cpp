#include "OndrelLocalService/http/HttpConnection.h"

#include "OndrelLocalService/http/LoopbackHost.h"
#include "OndrelLocalService/http/Refusals.h"

#include <QUrl>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::size_t readChunk = 16 * 1024;
// The request line and the headers together; each part is checked on its own afterwards.
constexpr std::uint32_t headLimit = HttpLimits::maxTarget + HttpLimits::maxHeaders + 1024;
constexpr std::string_view continueLine = "HTTP/1.1 100 Continue\r\n\r\n";

bool isHangUp(const beast::error_code& error) {
    return error == http::error::end_of_stream || error == asio::error::eof ||
           error == asio::error::connection_reset || error == asio::error::operation_aborted ||
           error == beast::error::timeout || error == asio::error::broken_pipe;
}

std::size_t headerBytes(const http::request_parser<QByteArrayBody>::value_type& request) {
    std::size_t total = 0;
    for (const auto& field : request)
        total += field.name_string().size() + field.value().size() + 4; // ": " and CRLF
    return total;
}

} // namespace

// Carries the answer back from the router's thread to the connection on its I/O thread. Every
// reference to the connection is dropped on that thread, so it always ends there; a copy that
// is never called hands its reference back there too.
class HttpConnection::Responder {
public:
    explicit Responder(std::shared_ptr<HttpConnection> connection)
        : m_executor(connection->m_stream.get_executor()), m_connection(std::move(connection)) {}
    Responder(const Responder&) = default;
    Responder(Responder&&) = default;
    Responder& operator=(const Responder&) = delete;
    Responder& operator=(Responder&&) = delete;
    ~Responder() {
        if (m_connection)
            asio::post(m_executor, [connection = std::move(m_connection)] {});
    }

    void operator()(HttpReply reply) {
        asio::post(m_executor, [connection = std::move(m_connection), reply = std::move(reply)] {
            if (connection)
                connection->answer(reply);
        });
    }

private:
    asio::any_io_executor m_executor;
    std::shared_ptr<HttpConnection> m_connection;
};

HttpConnection::HttpConnection(asio::ip::tcp::socket socket, std::shared_ptr<ConnectionPool> pool)
    : m_stream(std::move(socket)), m_pool(std::move(pool)), m_buffer(headLimit + readChunk) {}

HttpConnection::~HttpConnection() {
    m_pool->remove(this);
}

void HttpConnection::start() {
    m_pool->add(this);
    awaitRequest();
}

void HttpConnection::evict() {
    beast::error_code ignored;
    m_stream.socket().close(ignored); // the pending read ends with operation_aborted
}

void HttpConnection::awaitRequest() {
    if (m_buffer.size() > 0) // the next request has begun already
        return readHeader();
    m_idleSince = Clock::now();
    m_stream.expires_after(m_pool->limits().idleTimeout);
    m_stream.async_read_some(
        m_buffer.prepare(readChunk),
        [self = shared_from_this()](beast::error_code error, std::size_t count) {
            self->m_idleSince.reset();
            self->m_buffer.commit(count);
            if (error)
                return self->close();
            self->readHeader();
        });
}

void HttpConnection::readHeader() {
    m_parser.emplace();
    m_parser->header_limit(headLimit);
    m_parser->body_limit(boost::none); // checked against Content-Length once the header is in
    m_stream.expires_after(m_pool->limits().requestTimeout);
    http::async_read_header(m_stream, m_buffer, *m_parser,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                                self->onHeader(error);
                            });
}

void HttpConnection::onHeader(beast::error_code error) {
    if (error == http::error::header_limit) {
        // The parser takes the request line first: without a target, the line never ended.
        const std::size_t target = m_parser->get().target().size();
        const bool longTarget = target == 0 || target > HttpLimits::maxTarget;
        return refuse(longTarget ? Refusals::targetTooLong() : Refusals::headersTooLarge());
    }
    if (isHangUp(error))
        return close();
    if (error)
        return refuse(Refusals::badRequest());
    if (const std::optional<HttpReply> refusal = screen())
        return refuse(*refusal);
    const qsizetype declared = m_parser->chunked()
                                   ? HttpLimits::maxBody
                                   : qsizetype(m_parser->content_length().value_or(0));
    m_lease = m_pool->bodies().reserve(declared);
    if (!m_lease)
        return refuse(Refusals::busy());
    m_parser->body_limit(std::uint64_t(HttpLimits::maxBody));
    continueWithBody();
}

// Every refusal that needs only the header, before a byte of the body is read.
std::optional<HttpReply> HttpConnection::screen() const {
    const auto& request = m_parser->get();
    if ((request.version() != 10 && request.version() != 11) || !request.target().starts_with('/'))
        return Refusals::badRequest();
    // A transfer coding other than chunked leaves the body's length unknown.
    if (request.count(http::field::transfer_encoding) > 0 && !m_parser->chunked())
        return Refusals::badRequest();
    if (request.target().size() > HttpLimits::maxTarget)
        return Refusals::targetTooLong();
    if (headerBytes(request) > HttpLimits::maxHeaders)
        return Refusals::headersTooLarge();
    const auto host = request.find(http::field::host);
    if (host == request.end() && request.version() == 11)
        return Refusals::missingHost();
    if (host != request.end() && !LoopbackHost::accepts(host->value(), m_pool->port()))
        return Refusals::foreignHost();
    if (m_parser->content_length() && *m_parser->content_length() > HttpLimits::maxBody)
        return Refusals::bodyTooLarge();
    return std::nullopt;
}

void HttpConnection::continueWithBody() {
    const auto& request = m_parser->get();
    const bool waitsForGoAhead = !m_parser->is_done() && request.version() == 11 &&
                                 beast::iequals(request[http::field::expect], "100-continue");
    if (!waitsForGoAhead)
        return readBody();
    asio::async_write(m_stream, asio::buffer(continueLine.data(), continueLine.size()),
                      [self = shared_from_this()](beast::error_code error, std::size_t) {
                          if (error)
                              return self->close();
                          self->readBody();
                      });
}

void HttpConnection::readBody() {
    if (m_parser->is_done())
        return dispatch();
    http::async_read(m_stream, m_buffer, *m_parser,
                     [self = shared_from_this()](beast::error_code error, std::size_t) {
                         if (error == http::error::body_limit)
                             return self->refuse(Refusals::bodyTooLarge());
                         if (isHangUp(error))
                             return self->close();
                         if (error)
                             return self->refuse(Refusals::badRequest());
                         self->dispatch();
                     });
}

void HttpConnection::dispatch() {
    m_stream.expires_never(); // the service's own time is not the client's fault
    auto& request = m_parser->get();
    m_version = request.version();
    m_keepAlive = request.keep_alive();
    m_head = request.method() == http::verb::head;
    const QUrl url =
        QUrl::fromEncoded(QByteArray(request.target().data(), qsizetype(request.target().size())));
    HttpCall call;
    call.method = m_head ? QByteArray("GET")
                         : QByteArray(request.method_string().data(),
                                      qsizetype(request.method_string().size()));
    call.path = url.path(QUrl::FullyEncoded);
    call.query = QUrlQuery(url);
    const auto field = [&request](auto name) {
        const auto found = request.find(name);
        return found == request.end()
                   ? QByteArray()
                   : QByteArray(found->value().data(), qsizetype(found->value().size()));
    };
    call.authorization = field(http::field::authorization);
    call.host = field(http::field::host);
    call.origin = field(http::field::origin);
    call.fetchSite = field("Sec-Fetch-Site");
    call.idempotencyKey = field("Idempotency-Key");
    call.body = std::move(request.body());
    m_parser.reset();
    m_pool->handle(std::move(call), Responder(shared_from_this()));
}

void HttpConnection::answer(const HttpReply& reply) {
    m_lease.reset();
    write(reply, m_keepAlive, !m_head);
}

void HttpConnection::refuse(const HttpReply& reply) {
    m_parser.reset();
    m_lease.reset();
    m_version = 11;
    write(reply, false, true);
}

void HttpConnection::write(const HttpReply& reply, bool keepAlive, bool withBody) {
    auto response = std::make_shared<http::response<QByteArrayBody>>();
    response->version(m_version);
    response->result(unsigned(reply.status));
    if (!reply.contentType.isEmpty())
        response->set(http::field::content_type,
                      std::string_view(reply.contentType.constData(), reply.contentType.size()));
    for (const auto& [name, value] : reply.headers)
        response->insert(std::string_view(name.constData(), name.size()),
                         std::string_view(value.constData(), value.size()));
    // HEAD: the length of the body a GET would get, and no body.
    response->content_length(std::uint64_t(reply.body.size()));
    response->keep_alive(keepAlive);
    if (withBody)
        response->body() = reply.body;
    m_stream.expires_after(m_pool->limits().writeTimeout);
    http::async_write(
        m_stream, *response,
        [self = shared_from_this(), response, keepAlive](beast::error_code error, std::size_t) {
            if (error)
                return self->close();
            if (keepAlive)
                return self->awaitRequest();
            self->linger();
        });
}

// Half-closes and drops whatever the client still sends until it closes too, so that closing
// with unread data does not reset the connection before the answer is read.
void HttpConnection::linger() {
    beast::error_code ignored;
    m_stream.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    m_buffer.clear();
    m_stream.expires_after(m_pool->limits().lingerTimeout);
    drain();
}

void HttpConnection::drain() {
    m_stream.async_read_some(m_buffer.prepare(readChunk),
                             [self = shared_from_this()](beast::error_code error, std::size_t) {
                                 if (error)
                                     return self->close();
                                 self->drain();
                             });
}

void HttpConnection::close() {
    m_lease.reset();
    beast::error_code ignored;
    m_stream.socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_stream.socket().close(ignored);
}
