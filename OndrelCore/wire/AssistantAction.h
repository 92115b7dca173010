#pragma once

#include <QList>
#include <QString>

#include <optional>

// One thing the AI did; the type is free text.
struct AssistantAction {
    QString type{};
    std::optional<QString> taskId{};

    friend bool operator==(const AssistantAction&, const AssistantAction&) = default;
};

Q_DECLARE_TYPEINFO(AssistantAction, Q_RELOCATABLE_TYPE);
