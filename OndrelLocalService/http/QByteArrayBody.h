#pragma once

#include "OndrelLocalService/http/HttpLimits.h"

#include <QByteArray>

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/buffers_range.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/optional.hpp>

#include <cstdint>
#include <utility>

// A Beast body kept in a QByteArray, so that a request body reaches the router and an answer
// reaches the socket without a copy.
struct QByteArrayBody {
    using value_type = QByteArray;

    static std::uint64_t size(const value_type& body) { return std::uint64_t(body.size()); }

    class reader {
    public:
        template <bool isRequest, class Fields>
        reader(boost::beast::http::header<isRequest, Fields>&, value_type& body) : m_body(body) {}

        // The memory is reserved once, so a growing body is never copied: as long as it says,
        // or as long as it may get when it does not say (pages are only taken when written).
        void init(const boost::optional<std::uint64_t>& length, boost::beast::error_code& error) {
            error = {};
            m_body.reserve(length ? qsizetype(*length) : HttpLimits::maxBody);
        }

        template <class ConstBufferSequence>
        std::size_t put(const ConstBufferSequence& buffers, boost::beast::error_code& error) {
            error = {};
            std::size_t total = 0;
            for (const auto buffer : boost::beast::buffers_range_ref(buffers)) {
                m_body.append(static_cast<const char*>(buffer.data()), qsizetype(buffer.size()));
                total += buffer.size();
            }
            return total;
        }

        void finish(boost::beast::error_code& error) {
            error = {};
            if (m_body.capacity() > 2 * m_body.size())
                m_body.squeeze();
        }

    private:
        value_type& m_body;
    };

    class writer {
    public:
        using const_buffers_type = boost::asio::const_buffer;

        template <bool isRequest, class Fields>
        writer(const boost::beast::http::header<isRequest, Fields>&, const value_type& body)
            : m_body(body) {}

        void init(boost::beast::error_code& error) { error = {}; }

        boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code& error) {
            error = {};
            if (m_body.isEmpty())
                return boost::none;
            return std::pair{const_buffers_type(m_body.constData(), std::size_t(m_body.size())),
                             false};
        }

    private:
        const value_type& m_body;
    };
};
