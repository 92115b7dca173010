#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class RunInput { audio, editedText };

template <>
struct WireEnum<RunInput> {
    static constexpr std::string_view typeName = "RunInput";
    static constexpr std::array<WireCase<RunInput>, 2> cases{
        WireCase<RunInput>{RunInput::audio, "AUDIO"},
        WireCase<RunInput>{RunInput::editedText, "EDITED_TEXT"},
    };
};
