#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of reprocessing; without text it is {}.
struct ReprocessBody {
    std::optional<QString> editedText{};
};
