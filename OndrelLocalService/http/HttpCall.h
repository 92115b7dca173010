#pragma once

#include <QByteArray>
#include <QString>
#include <QUrlQuery>

// One request as the router sees it, independent of the HTTP server that received it.
struct HttpCall {
    QByteArray method; // "GET", "POST", ...
    QString path;      // percent-encoded, as it arrived
    QUrlQuery query;
    QByteArray authorization;
    // Where a browser's request came from; the Host was checked by the server already.
    QByteArray host;
    QByteArray origin;         // absent ("") when the client sent none
    QByteArray fetchSite;      // Sec-Fetch-Site
    QByteArray idempotencyKey; // absent ("") when the client sent none
    QByteArray body;
};
