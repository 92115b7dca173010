#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class Priority { none, low, medium, high };

template <>
struct WireEnum<Priority> {
    static constexpr std::string_view typeName = "Priority";
    static constexpr bool listsAllCases = true;
    static constexpr std::array<WireCase<Priority>, 4> cases{
        WireCase<Priority>{Priority::none, "NONE"},
        WireCase<Priority>{Priority::low, "LOW"},
        WireCase<Priority>{Priority::medium, "MEDIUM"},
        WireCase<Priority>{Priority::high, "HIGH"},
    };
};
