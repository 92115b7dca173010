#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QUrl>

#include <chrono>
#include <optional>
#include <utility>

// A fully built HTTP request, as the API client hands it to the transport.
struct HTTPRequest {
    QUrl url;
    QByteArray method; // "GET", "POST", "PATCH" or "DELETE"
    QList<std::pair<QByteArray, QByteArray>> headers;
    std::optional<QByteArray> body;
    QNetworkRequest::CacheLoadControl cachePolicy = QNetworkRequest::AlwaysNetwork;
    std::chrono::milliseconds timeout{std::chrono::seconds{60}};

    // The value of the first header with that name (case-insensitive), if any.
    std::optional<QByteArray> header(QByteArrayView name) const {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return std::nullopt;
    }
};
