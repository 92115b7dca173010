#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of a new capture: the recording in standard Base64.
struct CaptureBody {
    std::optional<QString> audioBase64;
    std::optional<QString> mimeType{};
    std::optional<qint64> durationMs;
};
