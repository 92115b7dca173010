#include "Fixtures.h"

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"

#include <gtest/gtest.h>

namespace {

Instant at(const char* text) {
    return *Instant::fromISO8601(text);
}

// Decoding, encoding and decoding again gives the same value: nothing is lost or invented.
template <class T>
T decodeAndRoundTrip(const char* name) {
    const T value = ODJSON::decoder().decode<T>(fixture(name));
    const QByteArray encoded = ODJSON::encoder().encode(value);
    EXPECT_EQ(ODJSON::decoder().decode<T>(encoded), value) << name << ": " << encoded.constData();
    EXPECT_FALSE(encoded.contains("null")) << name;
    return value;
}

} // namespace

TEST(GoldenAnswers, AuthResponse) {
    const auto auth = decodeAndRoundTrip<AuthResponse>("auth_response.json");
    EXPECT_EQ(auth.user.displayName, QStringLiteral("Анна Петрова"));
    EXPECT_EQ(auth.user.timezone, u"Europe/Moscow");
    EXPECT_TRUE(auth.created);
    EXPECT_EQ(auth.accessToken, u"acc.9f8e7d");
    EXPECT_EQ(auth.accessExpiresAt, at("2024-06-01T10:30:00.000Z"));
    EXPECT_EQ(auth.refreshExpiresAt, at("2024-07-01T06:30:00.125Z"));
}

TEST(GoldenAnswers, TaskListKeepsEveryField) {
    const auto tasks = decodeAndRoundTrip<QList<TaskItem>>("task_list.json");
    ASSERT_EQ(tasks.size(), 2);
    const TaskItem& full = tasks[0];
    EXPECT_EQ(full.folderId, u"fld_work");
    EXPECT_EQ(full.status, TaskStatus::inProgress);
    EXPECT_EQ(full.priority, Priority::high);
    EXPECT_EQ(full.reminderLead, 15);
    EXPECT_EQ(full.recurrence, u"FREQ=WEEKLY;BYDAY=FR");
    EXPECT_EQ(full.tags, (QList<QString>{QStringLiteral("работа"), QStringLiteral("звонки")}));
    ASSERT_TRUE(full.checklist.has_value());
    EXPECT_EQ(*full.checklist,
              (QList<ChecklistItem>{{u"chk_1"_qs, QStringLiteral("Найти номер"), true},
                                    {u"chk_2"_qs, QStringLiteral("Подготовить цифры"), false}}));
    EXPECT_DOUBLE_EQ(*full.confidence, 0.92);
    EXPECT_EQ(full.source, SourceKind::voice);
    EXPECT_EQ(full.createdAt, at("2024-06-01T09:30:00.250Z"));

    const TaskItem& sparse = tasks[1];
    EXPECT_FALSE(sparse.folderId.has_value());
    EXPECT_FALSE(sparse.completedAt.has_value());
    EXPECT_EQ(sparse.title,
              QStringLiteral("Идея: приложение для списков 🛒"));
    EXPECT_EQ(sparse.checklist, QList<ChecklistItem>{}); // present and empty, not absent
    EXPECT_TRUE(sparse.needsClarification);

    // The canonical form of the sparse task: declaration order, milliseconds, no absent keys.
    EXPECT_EQ(
        QString::fromUtf8(ODJSON::encoder().encode(sparse)),
        QStringLiteral(
            R"({"id":"tsk_2","userId":"usr_01","type":"IDEA","title":"Идея: приложение для списков 🛒",)"
            R"("status":"INBOX","priority":"NONE","hasDeadline":false,"tags":[],"checklist":[],)"
            R"("needsClarification":true,"clarificationQuestion":"В какую папку положить?",)"
            R"("source":"TEXT","createdAt":"2024-06-02T08:00:00.000Z","updatedAt":"2024-06-02T08:00:00.000Z",)"
            R"("deleted":false,"serverUpdatedAt":"2024-06-02T08:00:00.000Z"})"));

    TaskItem later = sparse;
    later.serverUpdatedAt = at("2024-06-02T08:00:00.001Z");
    EXPECT_NE(later, sparse);
    TaskItem absentChecklist = sparse;
    absentChecklist.checklist.reset();
    EXPECT_NE(absentChecklist, sparse);
}

// A double comes back out exactly as it came in, however many digits it has.
TEST(GoldenAnswers, DoublesKeepEveryDigit) {
    for (const QByteArray number : {"0.9032689664283783", "0.9999999999999999", "0.87", "5e-324",
                                    "1.7976931348623157e+308", "1e+22", "1"}) {
        const QByteArray answer = R"({"intent":"QUERY","transcript":"","confidence":)" + number +
                                  R"(,"status":"SUCCESS","answer":"","actions":[],)"
                                  R"("needsClarification":false,"tasks":[],"queryResults":[]})";
        const QByteArray encoded =
            ODJSON::encoder().encode(ODJSON::decoder().decode<ApplyResult>(answer));
        EXPECT_EQ(encoded.toStdString(), answer.toStdString());
    }
}

TEST(GoldenAnswers, SyncAnswers) {
    const auto pull = decodeAndRoundTrip<SyncPullResponse>("sync_pull.json");
    ASSERT_EQ(pull.folders.size(), 2);
    EXPECT_TRUE(pull.folders[0].isSystem);
    EXPECT_EQ(pull.folders[0].emoji, QStringLiteral("📥"));
    EXPECT_TRUE(pull.folders[1].deleted);
    EXPECT_EQ(pull.folders[1].color, u"#FF8800");
    ASSERT_EQ(pull.tasks.size(), 1);
    EXPECT_TRUE(pull.tasks[0].deleted);
    EXPECT_EQ(pull.tasks[0].type, TaskType::note);
    EXPECT_EQ(pull.serverTime, at("2024-06-01T12:00:01Z"));

    const auto push = decodeAndRoundTrip<SyncPushResponse>("sync_push.json");
    EXPECT_EQ(push.appliedTaskIds, QList<QString>{u"tsk_1"_qs});
    EXPECT_TRUE(push.conflictTasks.isEmpty());
}

TEST(GoldenAnswers, ApplyResultAndCaptures) {
    const auto result = decodeAndRoundTrip<ApplyResult>("apply_result.json");
    EXPECT_EQ(result.intent, Intent::captureNew);
    EXPECT_EQ(result.answer, QStringLiteral("Добавил задачу «Купить молоко» на завтра."));
    ASSERT_EQ(result.actions.size(), 2);
    EXPECT_EQ(result.actions[1].type, u"something_new");
    EXPECT_FALSE(result.actions[1].taskId.has_value());
    EXPECT_FALSE(result.clarificationQuestion.has_value());
    ASSERT_EQ(result.tasks.size(), 1);
    EXPECT_EQ(result.tasks[0].dueDate, at("2024-06-02T06:00:00Z"));

    const auto processed = decodeAndRoundTrip<CaptureProcessResponse>("capture_process.json");
    EXPECT_EQ(processed.capture.durationMs, 7250);
    EXPECT_EQ(processed.capture.status, CaptureStatus::processed);
    ASSERT_TRUE(processed.run && processed.result);
    EXPECT_EQ(processed.run->intent, Intent::query);
    EXPECT_EQ(processed.result->status, RunStatus::partial);

    const auto reprocess = decodeAndRoundTrip<ReprocessResponse>("reprocess.json");
    EXPECT_FALSE(reprocess.run || reprocess.result);
    const auto bare = ODJSON::decoder().decode<CaptureProcessResponse>(
        R"({"capture":{"id":"c","userId":"u","status":"UPLOADED","createdAt":"2024-06-01T00:00:00Z"}})");
    EXPECT_FALSE(bare.run || bare.result);

    const auto history = decodeAndRoundTrip<CaptureWithRuns>("capture_with_runs.json");
    ASSERT_EQ(history.runs.size(), 2);
    EXPECT_FALSE(history.runs[0].intent.has_value());
    EXPECT_EQ(history.runs[0].supersededById, u"run_b");
    EXPECT_EQ(history.runs[1].inputType, RunInput::editedText);
    ProcessingRun other = history.runs[0];
    other.supersededById.reset();
    EXPECT_NE(other, history.runs[0]);
}
