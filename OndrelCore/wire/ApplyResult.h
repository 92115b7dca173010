#pragma once

#include "OndrelCore/wire/AssistantAction.h"
#include "OndrelCore/wire/Intent.h"
#include "OndrelCore/wire/RunStatus.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QList>
#include <QString>

#include <optional>

// The AI's result for one capture or question.
struct ApplyResult {
    Intent intent = Intent::captureNew;
    QString transcript{};
    double confidence = 0;
    RunStatus status = RunStatus::success;
    QString answer{};
    QList<AssistantAction> actions{};
    bool needsClarification = false;
    std::optional<QString> clarificationQuestion{};
    QList<TaskItem> tasks{};
    QList<TaskItem> queryResults{};

    friend bool operator==(const ApplyResult&, const ApplyResult&) = default;
};
