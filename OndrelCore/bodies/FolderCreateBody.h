#pragma once

#include <QList>
#include <QString>

#include <optional>

// Request body of folder creation.
struct FolderCreateBody {
    QString name{};
    std::optional<QString> description{};
};
