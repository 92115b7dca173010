#include "OndrelCore/client/APIError.h"

namespace {

QByteArray describe(APIError::Kind kind, int status, const QString& body) {
    switch (kind) {
    case APIError::Kind::http:
        return "HTTP " + QByteArray::number(status) + ": " + body.toUtf8();
    case APIError::Kind::invalidResponse:
        return "invalid response";
    case APIError::Kind::unauthorized:
        return "unauthorized";
    }
    return {};
}

} // namespace

APIError::APIError(Kind kind, int status, QString body)
    : m_kind(kind), m_status(status), m_body(std::move(body)),
      m_what(describe(kind, status, m_body)) {}

const char* APIError::what() const noexcept {
    return m_what.constData();
}
