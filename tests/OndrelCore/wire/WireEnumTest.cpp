#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/CaptureStatus.h"
#include "OndrelCore/wire/Intent.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/ProcessingRun.h"
#include "OndrelCore/wire/RunInput.h"
#include "OndrelCore/wire/RunStatus.h"
#include "OndrelCore/wire/SourceKind.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelCore/wire/TaskType.h"

#include <gtest/gtest.h>

namespace {

// Every case's wire string is unique within its type and reads back to the same case, and no
// near miss (other case, padding) matches anything.
template <class E>
void expectExactWireStrings(std::initializer_list<const char*> expected) {
    ASSERT_EQ(WireEnum<E>::cases.size(), expected.size()) << WireEnum<E>::typeName;
    std::size_t i = 0;
    for (const char* wire : expected) {
        const E value = WireEnum<E>::cases[i++].first;
        EXPECT_EQ(rawValue(value), QString::fromLatin1(wire));
        EXPECT_EQ(fromRawValue<E>(QString::fromLatin1(wire)), value);
        const QString text = QString::fromLatin1(wire);
        EXPECT_FALSE(fromRawValue<E>(text.toLower()).has_value()) << wire;
        EXPECT_FALSE(fromRawValue<E>(u' ' + text).has_value()) << wire;
        EXPECT_FALSE(fromRawValue<E>(text + u' ').has_value()) << wire;
    }
    EXPECT_FALSE(fromRawValue<E>(u"").has_value());
}

} // namespace

TEST(WireEnum, EveryCaseHasItsExactWireString) {
    expectExactWireStrings<TaskType>({"TASK", "NOTE", "IDEA"});
    expectExactWireStrings<TaskStatus>(
        {"INBOX", "TODO", "IN_PROGRESS", "DONE", "POSTPONED", "CANCELLED"});
    expectExactWireStrings<Priority>({"NONE", "LOW", "MEDIUM", "HIGH"});
    expectExactWireStrings<SourceKind>({"VOICE", "TEXT", "MANUAL"});
    expectExactWireStrings<Intent>(
        {"CAPTURE_NEW", "COMPLETE_TASK", "CREATE_DONE", "UPDATE_TASK", "QUERY", "DELETE_TASK"});
    expectExactWireStrings<CaptureStatus>(
        {"UPLOADED", "PROCESSING", "PROCESSED", "FAILED", "SUPERSEDED"});
    expectExactWireStrings<RunStatus>({"SUCCESS", "PARTIAL", "FAILED"});
    expectExactWireStrings<RunInput>({"AUDIO", "EDITED_TEXT"});
    EXPECT_FALSE(fromRawValue<TaskStatus>(u"In_Progress").has_value());
}

TEST(WireEnum, AllCasesAndClosedStatuses) {
    constexpr auto statuses = allCases<TaskStatus>();
    static_assert(statuses.size() == 6);
    EXPECT_EQ(statuses.front(), TaskStatus::inbox);
    EXPECT_EQ(statuses.back(), TaskStatus::cancelled);
    constexpr auto priorities = allCases<Priority>();
    static_assert(priorities.size() == 4 && priorities[0] == Priority::none);
    static_assert(allCases<TaskType>().size() == 3);

    for (TaskStatus status : statuses)
        EXPECT_EQ(isClosed(status), status == TaskStatus::done || status == TaskStatus::cancelled);
}

TEST(WireEnum, SameWireStringMeansWhatTheFieldSays) {
    // "FAILED" is both a run status and a capture status; the field decides.
    const auto run = ODJSON::decoder().decode<ProcessingRun>(
        R"({"id":"r","captureId":"c","attemptNo":0,"inputType":"EDITED_TEXT","intent":null,)"
        R"("status":"FAILED","createdAt":"2024-01-01T00:00:00Z"})");
    EXPECT_EQ(run.status, RunStatus::failed);
    EXPECT_EQ(run.inputType, RunInput::editedText);
    EXPECT_FALSE(run.intent.has_value());
    EXPECT_TRUE(ODJSON::encoder().encode(run).contains(R"("inputType":"EDITED_TEXT")"));
}
