#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/TaskItem.h"

#include <gtest/gtest.h>

// Whatever arrives from the network ends in a DecodingError, never a crash, hang or partial value.
TEST(HostileInput, EndsInDecodingError) {
    const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
    QByteArray hugeString = "\"" + QByteArray(50 * 1024 * 1024, 'x') + "\"";
    const QByteArray inputs[] = {
        "[",
        "[{]",
        "nul",
        "[1,]",
        "[] []",
        "\"just text\"",
        "42",
        deep,
        hugeString,
        "[\"\xff\xfe\"]",      // invalid UTF-8
        "[\"\xc3\x28\"]",      // broken two-byte sequence
        "[\"\\ud800\"]",       // lone high surrogate
        "[\"\\udc00x\"]",      // lone low surrogate
        "[\"\\u12\"]",         // short escape
        QByteArray("[\0]", 3), // NUL byte
        "[{\"id\":1e999999}]", // number out of double range
    };
    for (const QByteArray& input : inputs)
        EXPECT_THROW((void)ODJSON::decoder().decode<QList<TaskItem>>(input), DecodingError)
            << input.left(40).toStdString();
}
