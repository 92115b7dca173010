#include "Fixtures.h"

#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/SyncPushResponse.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = DecodingError::Kind;

QJsonObject taskObject() {
    return QJsonDocument::fromJson(fixture("task_list.json")).array().at(0).toObject();
}

QByteArray taskWith(const char* key, const QJsonValue& value) {
    QJsonObject task = taskObject();
    task.insert(QLatin1StringView(key), value);
    return QJsonDocument(task).toJson(QJsonDocument::Compact);
}

QByteArray taskWithout(const char* key) {
    QJsonObject task = taskObject();
    task.remove(QLatin1StringView(key));
    return QJsonDocument(task).toJson(QJsonDocument::Compact);
}

QByteArray listOf(const QByteArray& good, const QByteArray& bad) {
    return '[' + good + ',' + good + ',' + good + ',' + bad + ']';
}

struct Failure {
    const char* name;
    std::function<void()> decode;
    Kind kind;
    const char* path;
    const char* description; // a fragment of it, or the whole for exact checks
    bool exact = false;
};

template <class T>
std::function<void()> decoding(QByteArray bytes) {
    return [bytes] { (void)ODJSON::decoder().decode<T>(bytes); };
}

} // namespace

TEST(DecodingFailures, KindPathAndDescription) {
    const QByteArray good = taskWith("id", QStringLiteral("ok"));
    const Failure failures[] = {
        {"missing tags", decoding<TaskItem>(taskWithout("tags")), Kind::keyNotFound, "tags",
         "tags"},
        {"null required", decoding<TaskItem>(taskWith("title", QJsonValue::Null)),
         Kind::valueNotFound, "title", ""},
        {"number for string", decoding<TaskItem>(taskWith("title", 5)), Kind::typeMismatch, "title",
         "строка"},
        {"unknown status in list",
         decoding<QList<TaskItem>>(listOf(good, taskWith("status", QStringLiteral("ARCHIVED")))),
         Kind::dataCorrupted, "[3].status", "TaskStatus: \"ARCHIVED\""},
        {"lower-case priority", decoding<TaskItem>(taskWith("priority", QStringLiteral("high"))),
         Kind::dataCorrupted, "priority", "Priority: \"high\""},
        {"bad date text", decoding<TaskItem>(taskWith("dueDate", QStringLiteral("31.01.2024"))),
         Kind::dataCorrupted, "dueDate", "Некорректная дата: 31.01.2024", true},
        {"fractional integer", decoding<TaskItem>(taskWith("reminderLead", 1.5)),
         Kind::typeMismatch, "reminderLead", ""},
        {"checklist entry",
         decoding<TaskItem>(
             taskWith("checklist", QJsonArray{QJsonObject{{"id", "c"}, {"title", "t"}}})),
         Kind::keyNotFound, "checklist[0].done", ""},
        {"push without serverTime",
         decoding<SyncPushResponse>(
             R"({"appliedFolderIds":[],"appliedTaskIds":[],"conflictFolders":[],"conflictTasks":[]})"),
         Kind::keyNotFound, "serverTime", ""},
        {"integer overflow",
         decoding<TaskItem>(
             taskWith("reminderLead", 0)
                 .replace("\"reminderLead\":0", "\"reminderLead\":9223372036854775808")),
         Kind::dataCorrupted, "reminderLead", ""},
        {"double overflow",
         decoding<TaskItem>(
             taskWith("confidence", 0).replace("\"confidence\":0", "\"confidence\":-1e400")),
         Kind::dataCorrupted, "confidence", "-1e400"},
        {"list where object", decoding<TaskItem>("[]"), Kind::typeMismatch, "", "объект"},
        {"empty body", decoding<QList<TaskItem>>(""), Kind::dataCorrupted, "", "JSON"},
    };
    for (const Failure& failure : failures) {
        try {
            failure.decode();
            ADD_FAILURE() << failure.name << ": decoded";
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.kind(), failure.kind) << failure.name;
            EXPECT_EQ(error.codingPath(), QLatin1StringView(failure.path)) << failure.name;
            const QString expected = QString::fromUtf8(failure.description);
            if (failure.exact)
                EXPECT_EQ(error.description(), expected) << failure.name;
            else
                EXPECT_TRUE(error.description().contains(expected))
                    << failure.name << ": " << error.description().toStdString();
        }
    }
}

// Absent and null optionals give no value; integers keep all 64 bits, and an integral double
// is an integer.
TEST(DecodingFailures, OptionalsAndIntegers) {
    const auto task = ODJSON::decoder().decode<TaskItem>(
        taskWith("folderId", QJsonValue::Null)
            .replace("\"reminderLead\":15", "\"reminderLead\":9223372036854775807"));
    EXPECT_FALSE(task.folderId.has_value());
    EXPECT_EQ(task.reminderLead, std::numeric_limits<qint64>::max());
    EXPECT_TRUE(ODJSON::encoder().encode(task).contains("\"reminderLead\":9223372036854775807"));
    EXPECT_FALSE(
        ODJSON::decoder().decode<TaskItem>(taskWith("checklist", QJsonValue::Null)).checklist);
    EXPECT_FALSE(ODJSON::decoder().decode<TaskItem>(taskWithout("checklist")).checklist);
    EXPECT_EQ(ODJSON::decoder().decode<TaskItem>(taskWith("reminderLead", -9.0e15)).reminderLead,
              qint64(-9000000000000000));
}

// Whatever arrives from the network ends in a DecodingError, never a crash, hang or partial value.
TEST(DecodingFailures, HostileInputEndsInDecodingError) {
    const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
    const QByteArray hugeString = "\"" + QByteArray(50 * 1024 * 1024, 'x') + "\"";
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
