#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class TaskType { task, note, idea };

template <>
struct WireEnum<TaskType> {
    static constexpr std::string_view typeName = "TaskType";
    static constexpr bool listsAllCases = true;
    static constexpr std::array<WireCase<TaskType>, 3> cases{
        WireCase<TaskType>{TaskType::task, "TASK"},
        WireCase<TaskType>{TaskType::note, "NOTE"},
        WireCase<TaskType>{TaskType::idea, "IDEA"},
    };
};
