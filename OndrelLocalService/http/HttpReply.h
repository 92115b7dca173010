#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// One answer: status, body and the headers beyond Content-Type and Content-Length.
struct HttpReply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;

    static HttpReply json(QByteArray body, int status = 200) {
        return {status, "application/json", std::move(body), {}};
    }
    static HttpReply text(const QString& text, int status) {
        return {status, "text/plain; charset=utf-8", text.toUtf8(), {}};
    }
    static HttpReply html(const QString& page) {
        return {200, "text/html; charset=utf-8", page.toUtf8(), {}};
    }
    static HttpReply redirect(const QByteArray& location) {
        return {302, "text/plain; charset=utf-8", {}, {{"Location", location}}};
    }
};
