#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of a typed question or command.
struct AssistantBody {
    QString text{};
};
