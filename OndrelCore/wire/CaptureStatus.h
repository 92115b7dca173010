#pragma once

#include "OndrelCore/wire/WireEnum.h"

enum class CaptureStatus { uploaded, processing, processed, failed, superseded };

template <>
struct WireEnum<CaptureStatus> {
    static constexpr std::string_view typeName = "CaptureStatus";
    static constexpr std::array<WireCase<CaptureStatus>, 5> cases{
        WireCase<CaptureStatus>{CaptureStatus::uploaded, "UPLOADED"},
        WireCase<CaptureStatus>{CaptureStatus::processing, "PROCESSING"},
        WireCase<CaptureStatus>{CaptureStatus::processed, "PROCESSED"},
        WireCase<CaptureStatus>{CaptureStatus::failed, "FAILED"},
        WireCase<CaptureStatus>{CaptureStatus::superseded, "SUPERSEDED"},
    };
};
