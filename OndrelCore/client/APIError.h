#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure reported by the service (or a response that could not be read as HTTP).
class APIError : public std::exception {
public:
    enum class Kind { http, invalidResponse, unauthorized };

    static APIError http(int status, QString body) {
        return APIError(Kind::http, status, std::move(body));
    }
    static APIError invalidResponse() { return APIError(Kind::invalidResponse, 0, {}); }
    static APIError unauthorized() { return APIError(Kind::unauthorized, 0, {}); }

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }        // http only
    const QString& body() const { return m_body; } // http only
    const char* what() const noexcept override;

    friend bool operator==(const APIError& a, const APIError& b) {
        return a.m_kind == b.m_kind && a.m_status == b.m_status && a.m_body == b.m_body;
    }

private:
    APIError(Kind kind, int status, QString body);

    Kind m_kind;
    int m_status;
    QString m_body;
    QByteArray m_what; // made once, so what() stays noexcept and thread-safe
};
