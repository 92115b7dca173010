#pragma once

#include <QByteArray>

// What the transport hands back: the status code and the body, nothing judged.
struct HTTPResponse {
    QByteArray body;
    int statusCode = 0;
};
