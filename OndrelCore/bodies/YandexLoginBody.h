#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of the Yandex token exchange.
struct YandexLoginBody {
    QString accessToken{};
};
