// libFuzzer entry for the task-list decoder: any bytes must end in a value or a DecodingError.
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/TaskItem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const auto tasks = ODJSON::decoder().decode<QList<TaskItem>>(bytes);
        // What decodes must encode to text that decodes again and encodes to the same text.
        // (Values themselves may differ below a millisecond, which is not written.)
        const QByteArray encoded = ODJSON::encoder().encode(tasks);
        const auto again = ODJSON::decoder().decode<QList<TaskItem>>(encoded);
        if (ODJSON::encoder().encode(again) != encoded || again.size() != tasks.size())
            __builtin_trap();
    } catch (const DecodingError&) {
    }
    return 0;
}
