#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class SourceKind { voice, text, manual };

template <>
struct WireEnum<SourceKind> {
    static constexpr std::string_view typeName = "SourceKind";
    static constexpr std::array<WireCase<SourceKind>, 3> cases{
        WireCase<SourceKind>{SourceKind::voice, "VOICE"},
        WireCase<SourceKind>{SourceKind::text, "TEXT"},
        WireCase<SourceKind>{SourceKind::manual, "MANUAL"},
    };
};
