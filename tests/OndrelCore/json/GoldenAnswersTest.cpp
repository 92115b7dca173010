#include "Fixtures.h"

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// A document as the service means it: nulls and unknown keys dropped, dates as UTC instants.
QJsonValue canonical(const QJsonValue& value) {
    if (value.isObject()) {
        QJsonObject object;
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it)
            if (!it->isNull() && it.key() != u"someFutureField")
                object.insert(it.key(), canonical(*it));
        return object;
    }
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue& element : value.toArray())
            array.append(canonical(element));
        return array;
    }
    if (const auto instant = Instant::fromISO8601(value.toString().toStdString()))
        return QString::fromStdString(instant->toISO8601());
    return value;
}

QJsonValue document(const QByteArray& json) {
    const QJsonDocument parsed = QJsonDocument::fromJson(json);
    return canonical(parsed.isArray() ? QJsonValue(parsed.array()) : QJsonValue(parsed.object()));
}

// Decoding then encoding gives the same document: every field reaches its member and comes back,
// nothing is invented, and no null is written.
template <class T>
void expectRoundTrip(const char* name) {
    const QByteArray original = fixture(name);
    const QByteArray encoded = ODJSON::encoder().encode(ODJSON::decoder().decode<T>(original));
    EXPECT_EQ(document(encoded), document(original)) << name << ": " << encoded.constData();
    EXPECT_FALSE(encoded.contains("null")) << name;
}

} // namespace

TEST(GoldenAnswers, EveryAnswerSurvivesTheRoundTrip) {
    expectRoundTrip<AuthResponse>("auth_response.json");
    expectRoundTrip<QList<TaskItem>>("task_list.json");
    expectRoundTrip<SyncPullResponse>("sync_pull.json");
    expectRoundTrip<SyncPushResponse>("sync_push.json");
    expectRoundTrip<ApplyResult>("apply_result.json");
    expectRoundTrip<CaptureProcessResponse>("capture_process.json");
    expectRoundTrip<ReprocessResponse>("reprocess.json");
    expectRoundTrip<CaptureWithRuns>("capture_with_runs.json");

    // The canonical form: declaration order, UTC with milliseconds, absent keys left out, an
    // empty list kept.
    const TaskItem sparse = ODJSON::decoder().decode<QList<TaskItem>>(fixture("task_list.json"))[1];
    EXPECT_EQ(
        QString::fromUtf8(ODJSON::encoder().encode(sparse)),
        QStringLiteral(
            R"({"id":"tsk_2","userId":"usr_01","type":"IDEA","title":"Идея: приложение для списков 🛒",)"
            R"("status":"INBOX","priority":"NONE","hasDeadline":false,"tags":[],"checklist":[],)"
            R"("needsClarification":true,"clarificationQuestion":"В какую папку положить?",)"
            R"("source":"TEXT","createdAt":"2024-06-02T08:00:00.000Z","updatedAt":"2024-06-02T08:00:00.000Z",)"
            R"("deleted":false,"serverUpdatedAt":"2024-06-02T08:00:00.000Z"})"));
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
