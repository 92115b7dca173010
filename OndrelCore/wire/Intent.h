#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class Intent { captureNew, completeTask, createDone, updateTask, query, deleteTask };

template <>
struct WireEnum<Intent> {
    static constexpr std::string_view typeName = "Intent";
    static constexpr std::array<WireCase<Intent>, 6> cases{
        WireCase<Intent>{Intent::captureNew, "CAPTURE_NEW"},
        WireCase<Intent>{Intent::completeTask, "COMPLETE_TASK"},
        WireCase<Intent>{Intent::createDone, "CREATE_DONE"},
        WireCase<Intent>{Intent::updateTask, "UPDATE_TASK"},
        WireCase<Intent>{Intent::query, "QUERY"},
        WireCase<Intent>{Intent::deleteTask, "DELETE_TASK"},
    };
};
