#include "OndrelCore/wire/CaptureStatus.h"
#include "OndrelCore/wire/Intent.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/RunInput.h"
#include "OndrelCore/wire/RunStatus.h"
#include "OndrelCore/wire/SourceKind.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelCore/wire/TaskType.h"

#include <gtest/gtest.h>

namespace {

// Each case travels as its wire string and reads back from it alone: no other case, no other
// letter case and no padding matches.
template <class E>
void expectWireStrings(std::initializer_list<const char*> expected) {
    ASSERT_EQ(WireEnum<E>::cases.size(), expected.size()) << WireEnum<E>::typeName;
    std::size_t i = 0;
    for (const char* wire : expected) {
        const E value = WireEnum<E>::cases[i++].first;
        const QString text = QString::fromLatin1(wire);
        EXPECT_EQ(rawValue(value), text);
        EXPECT_EQ(fromRawValue<E>(text), value);
        for (const QString& near : {text.toLower(), u' ' + text, text + u' '})
            EXPECT_FALSE(fromRawValue<E>(near).has_value()) << wire;
    }
}

} // namespace

TEST(WireEnum, EveryCaseHasItsExactWireString) {
    expectWireStrings<TaskType>({"TASK", "NOTE", "IDEA"});
    expectWireStrings<TaskStatus>(
        {"INBOX", "TODO", "IN_PROGRESS", "DONE", "POSTPONED", "CANCELLED"});
    expectWireStrings<Priority>({"NONE", "LOW", "MEDIUM", "HIGH"});
    expectWireStrings<SourceKind>({"VOICE", "TEXT", "MANUAL"});
    expectWireStrings<Intent>(
        {"CAPTURE_NEW", "COMPLETE_TASK", "CREATE_DONE", "UPDATE_TASK", "QUERY", "DELETE_TASK"});
    expectWireStrings<CaptureStatus>(
        {"UPLOADED", "PROCESSING", "PROCESSED", "FAILED", "SUPERSEDED"});
    expectWireStrings<RunStatus>({"SUCCESS", "PARTIAL", "FAILED"});
    expectWireStrings<RunInput>({"AUDIO", "EDITED_TEXT"});
    for (TaskStatus status : allCases<TaskStatus>())
        EXPECT_EQ(isClosed(status), status == TaskStatus::done || status == TaskStatus::cancelled);
}
