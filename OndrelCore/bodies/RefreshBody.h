#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of token renewal.
struct RefreshBody {
    QString refreshToken{};
};
