#pragma once

#include <QList>
#include <QString>

#include <optional>

// The signed-in account.
struct User {
    QString id{};
    std::optional<QString> email{};
    std::optional<QString> displayName{};
    QString timezone{};
    QString locale{};

    friend bool operator==(const User&, const User&) = default;
};
