#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The service's base URL as configured, or why the configured text cannot be one.
struct ServiceURLResult {
    std::optional<QUrl> url;
    QString error; // set exactly when `url` is absent
};
