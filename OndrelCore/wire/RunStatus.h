#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class RunStatus { success, partial, failed };

template <>
struct WireEnum<RunStatus> {
    static constexpr std::string_view typeName = "RunStatus";
    static constexpr std::array<WireCase<RunStatus>, 3> cases{
        WireCase<RunStatus>{RunStatus::success, "SUCCESS"},
        WireCase<RunStatus>{RunStatus::partial, "PARTIAL"},
        WireCase<RunStatus>{RunStatus::failed, "FAILED"},
    };
};
