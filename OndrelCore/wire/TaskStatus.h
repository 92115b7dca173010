#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class TaskStatus { inbox, todo, inProgress, done, postponed, cancelled };

template <>
struct WireEnum<TaskStatus> {
    static constexpr std::string_view typeName = "TaskStatus";
    static constexpr bool listsAllCases = true;
    static constexpr std::array<WireCase<TaskStatus>, 6> cases{
        WireCase<TaskStatus>{TaskStatus::inbox, "INBOX"},
        WireCase<TaskStatus>{TaskStatus::todo, "TODO"},
        WireCase<TaskStatus>{TaskStatus::inProgress, "IN_PROGRESS"},
        WireCase<TaskStatus>{TaskStatus::done, "DONE"},
        WireCase<TaskStatus>{TaskStatus::postponed, "POSTPONED"},
        WireCase<TaskStatus>{TaskStatus::cancelled, "CANCELLED"},
    };
};

// Done and cancelled tasks are shown under the finished header.
constexpr bool isClosed(TaskStatus status) {
    return status == TaskStatus::done || status == TaskStatus::cancelled;
}
