#include "OndrelCore/bodies/AssistantBody.h"
#include "OndrelCore/bodies/SyncPushBody.h"
#include "OndrelCore/bodies/TaskCreateBody.h"
#include "OndrelCore/bodies/TaskPatchBody.h"
#include "OndrelCore/bodies/YandexLoginBody.h"
#include "OndrelCore/json/ODJSON.h"

#include <gtest/gtest.h>

namespace {
template <class T>
std::string json(const T& body) {
    return ODJSON::encoder().encode(body).toStdString();
}
} // namespace

// Every field in declaration order, only what is set (the client's table has the sparse ones).
TEST(RequestBodies, WriteOnlyWhatIsSetInDeclarationOrder) {
    const Instant due = *Instant::fromISO8601("2024-06-01T12:30:00.25+03:00");
    EXPECT_EQ(json(YandexLoginBody{u"ya\"tok\\en"_qs}), R"({"accessToken":"ya\"tok\\en"})");
    EXPECT_EQ(
        json(TaskCreateBody{.title = u"t"_qs,
                            .folderId = u"f"_qs,
                            .type = TaskType::idea,
                            .priority = Priority::low,
                            .body = u"line\nnext\ttab\u0001"_qs,
                            .dueDate = due,
                            .hasDeadline = false,
                            .recurrence = u"FREQ=DAILY"_qs}),
        R"({"title":"t","folderId":"f","type":"IDEA","priority":"LOW","body":"line\nnext\ttab\u0001",)"
        R"("dueDate":"2024-06-01T09:30:00.250Z","hasDeadline":false,"recurrence":"FREQ=DAILY"})");
    EXPECT_EQ(json(TaskPatchBody{}), "{}");
    EXPECT_EQ(json(TaskPatchBody{.title = u"a"_qs,
                                 .status = TaskStatus::inProgress,
                                 .priority = Priority::high,
                                 .folderId = u"f"_qs,
                                 .body = u"b"_qs,
                                 .dueDate = due,
                                 .hasDeadline = true}),
              R"({"title":"a","status":"IN_PROGRESS","priority":"HIGH","folderId":"f","body":"b",)"
              R"("dueDate":"2024-06-01T09:30:00.250Z","hasDeadline":true})");
    EXPECT_EQ(json(SyncPushBody{}), "{}");
    EXPECT_EQ(json(SyncPushBody{QList<SyncTaskInput>{{.id = u"u"_qs,
                                                      .title = u"x"_qs,
                                                      .folderId = u"f"_qs,
                                                      .status = TaskStatus::todo,
                                                      .deleted = true,
                                                      .updatedAt = u"2024"_qs}}}),
              R"({"tasks":[{"id":"u","title":"x","folderId":"f","status":"TODO","deleted":true,)"
              R"("updatedAt":"2024"}]})");
}

TEST(RequestBodies, TextSurvivesTheRoundTrip) {
    // Control characters, quotes, astral characters and a lone surrogate (written as U+FFFD).
    QString tricky = QStringLiteral("\"\\/\b\f\n\r\t\x1f Ω 𝄞 ");
    tricky.append(QChar(0xD800));
    const auto decoded =
        ODJSON::decoder().decode<AssistantBody>(ODJSON::encoder().encode(AssistantBody{tricky}));
    QString expected = tricky;
    expected.back() = QChar(0xFFFD);
    EXPECT_EQ(decoded.text, expected);
}
