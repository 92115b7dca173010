#include "OndrelCore/bodies/AssistantBody.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"
#include "OndrelCore/wire/TaskItem.h"
#include "Records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using Kind = DecodingError::Kind;

QByteArray taskWith(const char* key, const QJsonValue& value) {
    QJsonObject task = QJsonDocument::fromJson(fixture("task_list.json")).array().at(0).toObject();
    if (value.isUndefined())
        task.remove(QLatin1StringView(key));
    else
        task.insert(QLatin1StringView(key), value);
    return QJsonDocument(task).toJson(QJsonDocument::Compact);
}

TaskItem decodeTask(const QByteArray& bytes) {
    return ODJSON::decoder().decode<TaskItem>(bytes);
}

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

TEST(DecodingFailures, KindPathAndDescription) {
    const QByteArray good = taskWith("id", QStringLiteral("ok"));
    const QByteArray badStatus = taskWith("status", QStringLiteral("ARCHIVED"));
    const struct {
        QByteArray bytes;
        bool list;
        Kind kind;
        const char* path;
        const char* description; // a fragment of it
    } failures[] = {
        {taskWith("tags", QJsonValue::Undefined), false, Kind::keyNotFound, "tags", "tags"},
        {taskWith("title", 5), false, Kind::typeMismatch, "title", "строка"},
        {'[' + good + ',' + good + ',' + good + ',' + badStatus + ']', true, Kind::dataCorrupted,
         "[3].status", "TaskStatus: \"ARCHIVED\""},
        {taskWith("dueDate", QStringLiteral("31.01.2024")), false, Kind::dataCorrupted, "dueDate",
         "Некорректная дата: 31.01.2024"},
        {taskWith("checklist", QJsonArray{QJsonObject{{"id", "c"}, {"title", "t"}}}), false,
         Kind::keyNotFound, "checklist[0].done", ""},
        {taskWith("reminderLead", 0)
             .replace("\"reminderLead\":0", "\"reminderLead\":9223372036854775808"),
         false, Kind::dataCorrupted, "reminderLead", ""},
        {"[]", false, Kind::typeMismatch, "", "объект"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.bytes.left(80).toStdString());
        try {
            if (failure.list)
                (void)ODJSON::decoder().decode<QList<TaskItem>>(failure.bytes);
            else
                (void)decodeTask(failure.bytes);
            ADD_FAILURE() << "decoded";
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.kind(), failure.kind);
            EXPECT_EQ(error.codingPath(), QLatin1StringView(failure.path));
            EXPECT_TRUE(error.description().contains(QString::fromUtf8(failure.description)))
                << error.description().toStdString();
        }
    }
}

// Whatever arrives from the network ends in a DecodingError, never a crash, hang or partial value.
TEST(DecodingFailures, HostileInputEndsInDecodingError) {
    const QByteArray inputs[] = {
        "",
        QByteArray(10000, '[') + QByteArray(10000, ']'),
        "\"" + QByteArray(50 * 1024 * 1024, 'x') + "\"",
        "[\"\xff\xfe\"]",      // invalid UTF-8
        QByteArray("[\0]", 3), // NUL byte
        "[{\"id\":1e999999}]", // number out of double range
    };
    for (const QByteArray& input : inputs)
        EXPECT_THROW((void)ODJSON::decoder().decode<QList<TaskItem>>(input), DecodingError)
            << input.left(40).toStdString();
}

TEST(GoldenAnswers, EveryAnswerSurvivesTheRoundTrip) {
    expectRoundTrip<AuthResponse>("auth_response.json");
    expectRoundTrip<QList<TaskItem>>("task_list.json");
    expectRoundTrip<SyncPullResponse>("sync_pull.json");
    expectRoundTrip<SyncPushResponse>("sync_push.json");
    expectRoundTrip<ApplyResult>("apply_result.json");
    expectRoundTrip<CaptureProcessResponse>("capture_process.json");
    expectRoundTrip<ReprocessResponse>("reprocess.json");
    expectRoundTrip<CaptureWithRuns>("capture_with_runs.json");
}

// A double comes back out exactly as it came in, however many digits it has; text survives
// control characters, quotes, astral characters and a lone surrogate (written as U+FFFD).
TEST(GoldenAnswers, NumbersAndTextKeepEveryDigitAndCharacter) {
    for (const QByteArray number : {"0.9032689664283783", "0.9999999999999999", "5e-324",
                                    "1.7976931348623157e+308", "1e+22", "1"}) {
        const QByteArray answer = R"({"intent":"QUERY","transcript":"","confidence":)" + number +
                                  R"(,"status":"SUCCESS","answer":"","actions":[],)"
                                  R"("needsClarification":false,"tasks":[],"queryResults":[]})";
        EXPECT_EQ(ODJSON::encoder().encode(ODJSON::decoder().decode<ApplyResult>(answer)), answer);
    }
    QString tricky = QStringLiteral("\"\\/\b\f\n\r\t\x1f Ω 𝄞 ");
    tricky.append(QChar(0xD800));
    const auto decoded =
        ODJSON::decoder().decode<AssistantBody>(ODJSON::encoder().encode(AssistantBody{tricky}));
    tricky.back() = QChar(0xFFFD);
    EXPECT_EQ(decoded.text, tricky);
}
