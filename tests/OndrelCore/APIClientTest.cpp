#include "Fixtures.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include "OndrelCore/APIClient.h"
#include "OndrelCore/APIError.h"
#include "OndrelCore/DecodingError.h"
#include "OndrelCore/TransportError.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;
using Call = std::function<QCoro::Task<QString>(const APIClient&)>;

const QByteArray userJSON = R"({"id":"usr_01","timezone":"Europe/Moscow","locale":"ru_RU"})";
const QByteArray folderJSON =
    R"({"id":"fld_1","userId":"usr_01","name":"Работа","sortOrder":1,"isSystem":false,)"
    R"("deleted":false,"createdAt":"2024-05-01T00:00:00Z","updatedAt":"2024-05-01T00:00:00Z",)"
    R"("serverUpdatedAt":"2024-05-01T00:00:00Z"})";
const QByteArray taskJSON =
    R"({"id":"tsk_9","userId":"usr_01","type":"TASK","title":"Купить молоко","status":"TODO",)"
    R"("priority":"NONE","hasDeadline":false,"tags":[],"needsClarification":false,)"
    R"("source":"TEXT","createdAt":"2024-05-01T00:00:00Z","updatedAt":"2024-05-01T00:00:00Z",)"
    R"("deleted":false,"serverUpdatedAt":"2024-05-01T00:00:00Z"})";
const QByteArray captureJSON =
    R"({"id":"cap_7","userId":"usr_01","status":"UPLOADED","createdAt":"2024-05-01T00:00:00Z"})";

std::shared_ptr<FakeTransport> fakeTransport() {
    return std::make_shared<FakeTransport>();
}

APIClient client(std::shared_ptr<HTTPTransport> transport,
                 std::optional<QString> token = QStringLiteral("tok")) {
    return APIClient(QUrl(QStringLiteral("https://api.example.test/v1")), std::move(transport),
                     std::move(token));
}

// Awaits an operation on a client that is already gone: operations copy what they need.
QString runOnTemporary(const Call& call, std::shared_ptr<HTTPTransport> transport,
                       std::optional<QString> token = QStringLiteral("tok")) {
    auto task = [&] { return call(client(std::move(transport), std::move(token))); }();
    return awaitTask(std::move(task));
}

QByteArray target(const HTTPRequest& request) {
    return request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
}

// Awaits an operation and reads one thing back from its result.
template <class T, class Project>
QCoro::Task<QString> summarize(QCoro::Task<T> task, Project project) {
    const T value = co_await std::move(task);
    co_return project(value);
}

struct OperationCase {
    const char* name;
    Call call;
    QByteArray method;
    QByteArray target; // path and query exactly as sent
    std::optional<QByteArray> body;
    bool auth;
    QByteArray answer;
    QString summary; // what call() reads back from the decoded answer
};

QString n(qsizetype count) {
    return QString::number(count);
}

std::vector<OperationCase> operationCases() {
    const auto since = *Instant::fromISO8601("2024-06-01T09:30:00.250Z");
    SyncPushBody push{QList<SyncTaskInput>{{.id = "tsk_1",
                                            .title = std::nullopt,
                                            .folderId = std::nullopt,
                                            .status = TaskStatus::done,
                                            .deleted = std::nullopt,
                                            .updatedAt = "2024-06-01T09:00:00.000Z"}}};
    return {
        {"loginYandex",
         [](const APIClient& c) {
             return summarize(c.loginYandex("ya.token"),
                              [](const auto& r) { return r.accessToken; });
         },
         "POST", "/v1/auth/yandex", R"({"accessToken":"ya.token"})", false,
         fixture("auth_response.json"), "acc.9f8e7d"},
        {"refresh",
         [](const APIClient& c) {
             return summarize(c.refresh("ref.1"), [](const auto& r) { return r.refreshToken; });
         },
         "POST", "/v1/auth/refresh", R"({"refreshToken":"ref.1"})", false,
         fixture("auth_response.json"), "ref.1a2b3c"},
        {"me",
         [](const APIClient& c) { return summarize(c.me(), [](const auto& r) { return r.id; }); },
         "GET", "/v1/auth/me", std::nullopt, true, userJSON, "usr_01"},
        {"listFolders",
         [](const APIClient& c) {
             return summarize(c.listFolders(), [](const auto& r) { return n(r.size()); });
         },
         "GET", "/v1/folders", std::nullopt, true, "[" + folderJSON + "," + folderJSON + "]", "2"},
        {"createFolder",
         [](const APIClient& c) {
             return summarize(c.createFolder({"Работа", std::nullopt}),
                              [](const auto& r) { return r.name; });
         },
         "POST", "/v1/folders", R"({"name":"Работа"})", true, folderJSON, "Работа"},
        {"deleteFolder delete",
         [](const APIClient& c) {
             return summarize(c.deleteFolder("fld_1", "delete", "fld_2"),
                              [](const auto& r) { return r.id; });
         },
         "DELETE", "/v1/folders/fld_1?tasks=delete", std::nullopt, true, folderJSON, "fld_1"},
        {"deleteFolder move",
         [](const APIClient& c) {
             return summarize(c.deleteFolder("fld_1", "move", "fld_2"),
                              [](const auto& r) { return r.id; });
         },
         "DELETE", "/v1/folders/fld_1?tasks=move&to=fld_2", std::nullopt, true, folderJSON,
         "fld_1"},
        {"deleteFolder move without target",
         [](const APIClient& c) {
             return summarize(c.deleteFolder("fld_1", "move"), [](const auto& r) { return r.id; });
         },
         "DELETE", "/v1/folders/fld_1?tasks=move", std::nullopt, true, folderJSON, "fld_1"},
        {"listTasks bare",
         [](const APIClient& c) {
             return summarize(c.listTasks(), [](const auto& r) { return n(r.size()); });
         },
         "GET", "/v1/tasks", std::nullopt, true, fixture("task_list.json"), "2"},
        {"listTasks status only",
         [](const APIClient& c) {
             return summarize(c.listTasks(std::nullopt, TaskStatus::inProgress),
                              [](const auto& r) { return n(r.size()); });
         },
         "GET", "/v1/tasks?status=IN_PROGRESS", std::nullopt, true, "[]", "0"},
        {"listTasks folder and status",
         [](const APIClient& c) {
             return summarize(c.listTasks("fld_1", TaskStatus::todo),
                              [](const auto& r) { return n(r.size()); });
         },
         "GET", "/v1/tasks?folderId=fld_1&status=TODO", std::nullopt, true, "[]", "0"},
        {"createTask",
         [](const APIClient& c) {
             TaskCreateBody body;
             body.title = "Купить молоко";
             return summarize(c.createTask(body), [](const auto& r) { return r.title; });
         },
         "POST", "/v1/tasks", R"({"title":"Купить молоко"})", true, taskJSON, "Купить молоко"},
        {"patchTask",
         [](const APIClient& c) {
             TaskPatchBody body;
             body.status = TaskStatus::done;
             return summarize(c.patchTask("tsk_9", body), [](const auto& r) { return r.id; });
         },
         "PATCH", "/v1/tasks/tsk_9", R"({"status":"DONE"})", true, taskJSON, "tsk_9"},
        {"completeTask",
         [](const APIClient& c) {
             return summarize(c.completeTask("tsk_9"),
                              [](const auto& r) { return rawValue(r.status); });
         },
         "POST", "/v1/tasks/tsk_9/complete", std::nullopt, true, taskJSON, "TODO"},
        {"deleteTask",
         [](const APIClient& c) {
             return summarize(c.deleteTask("tsk_9"), [](const auto& r) { return r.id; });
         },
         "DELETE", "/v1/tasks/tsk_9", std::nullopt, true, taskJSON, "tsk_9"},
        {"syncPull bare",
         [](const APIClient& c) {
             return summarize(c.syncPull(), [](const auto& r) { return r.serverTime.toString(); });
         },
         "GET", "/v1/sync", std::nullopt, true, fixture("sync_pull.json"),
         "2024-06-01T12:00:01.000Z"},
        {"syncPull since",
         [since](const APIClient& c) {
             return summarize(c.syncPull(since), [](const auto& r) { return n(r.tasks.size()); });
         },
         "GET", "/v1/sync?since=2024-06-01T09:30:00Z", std::nullopt, true,
         fixture("sync_pull.json"), "1"},
        {"syncPush",
         [push](const APIClient& c) {
             return summarize(c.syncPush(push),
                              [](const auto& r) { return r.appliedTaskIds.join(','); });
         },
         "POST", "/v1/sync",
         R"({"tasks":[{"id":"tsk_1","status":"DONE","updatedAt":"2024-06-01T09:00:00.000Z"}]})",
         true, fixture("sync_push.json"), "tsk_1"},
        {"createCapture",
         [](const APIClient& c) {
             return summarize(c.createCapture("AAEC", "audio/m4a", 7250),
                              [](const auto& r) { return r.capture.id; });
         },
         "POST", "/v1/captures",
         R"({"audioBase64":"AAEC","mimeType":"audio/m4a","durationMs":7250})", true,
         fixture("capture_process.json"), "cap_1"},
        {"listCaptures",
         [](const APIClient& c) {
             return summarize(c.listCaptures(), [](const auto& r) { return r.value(0).id; });
         },
         "GET", "/v1/captures", std::nullopt, true, "[" + captureJSON + "]", "cap_7"},
        {"getCapture",
         [](const APIClient& c) {
             return summarize(c.getCapture("cap_2"),
                              [](const auto& r) { return n(r.runs.size()); });
         },
         "GET", "/v1/captures/cap_2", std::nullopt, true, fixture("capture_with_runs.json"), "2"},
        {"reprocess without text",
         [](const APIClient& c) {
             return summarize(c.reprocess("cap_2"),
                              [](const auto& r) { return r.run ? "run" : "none"; });
         },
         "POST", "/v1/captures/cap_2/reprocess", "{}", true, fixture("reprocess.json"), "none"},
        {"reprocess with text",
         [](const APIClient& c) {
             return summarize(c.reprocess("cap_2", "купить хлеб"),
                              [](const auto& r) { return r.run ? "run" : "none"; });
         },
         "POST", "/v1/captures/cap_2/reprocess", R"({"editedText":"купить хлеб"})", true,
         fixture("reprocess.json"), "none"},
        {"assistantAsk",
         [](const APIClient& c) {
             return summarize(c.assistantAsk("что на завтра?"),
                              [](const auto& r) { return r.answer; });
         },
         "POST", "/v1/assistant", R"({"text":"что на завтра?"})", true,
         fixture("apply_result.json"), "Добавил задачу «Купить молоко» на завтра."},
    };
}

Headers expectedHeaders(const OperationCase& row, bool withToken) {
    Headers headers;
    if (row.body)
        headers.emplaceBack("Content-Type", "application/json");
    if (row.auth && withToken)
        headers.emplaceBack("Authorization", "Bearer tok");
    return headers;
}

} // namespace

// Every operation: the exact request on the wire, with and without a token, and its decoded
// answer, awaited on a client that no longer exists.
TEST(APIClient, EveryOperationSendsItsRequestAndDecodesItsAnswer) {
    for (const auto& row : operationCases()) {
        for (const bool withToken : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (withToken ? " with token" : " without token"));
            auto transport = fakeTransport();
            transport->enqueue(200, row.answer);
            const auto token = withToken ? std::optional<QString>("tok") : std::nullopt;
            EXPECT_EQ(runOnTemporary(row.call, transport, token), row.summary);
            ASSERT_EQ(transport->requests().size(), 1);
            const HTTPRequest& sent = transport->requests().front();
            EXPECT_EQ(sent.method, row.method);
            EXPECT_EQ(sent.url.host(), "api.example.test");
            EXPECT_EQ(target(sent), row.target);
            EXPECT_EQ(sent.headers, expectedHeaders(row, withToken));
            EXPECT_EQ(sent.body, row.body);
            EXPECT_EQ(sent.timeout, std::chrono::seconds(60));
            EXPECT_EQ(sent.cachePolicy, QNetworkRequest::AlwaysNetwork);
        }
    }
}

TEST(APIClient, StatusesMapToErrors) {
    struct Case {
        int status;
        QByteArray body;
        std::optional<APIError> expected; // none: the decoder's error
    };
    const Case cases[] = {
        {401, "token expired", APIError::unauthorized()},
        {403, "forbidden", APIError::http(403, "forbidden")},
        {404, "", APIError::http(404, "")},
        {500, "bad \xff\xfe bytes", APIError::http(500, QStringLiteral("bad \uFFFD\uFFFD bytes"))},
        {302, "moved", APIError::http(302, "moved")},
        {204, "", std::nullopt},
        {200, "", std::nullopt},
        {299, "{", std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.status);
        auto transport = fakeTransport();
        transport->enqueue(row.status, row.body);
        auto call = client(transport).me();
        if (row.expected) {
            try {
                awaitTask(std::move(call));
                ADD_FAILURE() << "no error";
            } catch (const APIError& error) {
                EXPECT_TRUE(error == *row.expected) << error.what();
            }
        } else {
            EXPECT_THROW(awaitTask(std::move(call)), DecodingError);
        }
    }
}

TEST(APIClient, TransportFailurePassesThroughUnchanged) {
    auto transport = fakeTransport();
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::ConnectionRefusedError, "Connection refused")));
    try {
        awaitTask(client(transport).listFolders());
        ADD_FAILURE() << "no error";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.error(), QNetworkReply::ConnectionRefusedError);
        EXPECT_EQ(error.description(), "Connection refused");
    }
}

// Ids are one path segment and query values arrive intact, whatever they hold; what cannot be
// one segment, or a base URL that does not make a URL, sends nothing.
TEST(APIClient, IdsAndQueryValuesAreEncoded) {
    const struct {
        Call call;
        QByteArray answer;
        QByteArray target;
    } cases[] = {
        {[](const APIClient& c) {
             return summarize(c.deleteTask("a/b?c#d%e f"), [](const auto& r) { return r.id; });
         },
         taskJSON, "/v1/tasks/a%2Fb%3Fc%23d%25e%20f"},
        {[](const APIClient& c) {
             return summarize(c.completeTask("x/../y"), [](const auto& r) { return r.id; });
         },
         taskJSON, "/v1/tasks/x%2F..%2Fy/complete"},
        {[](const APIClient& c) {
             return summarize(c.getCapture("Cap-01_Z"), [](const auto& r) { return r.capture.id; });
         },
         fixture("capture_with_runs.json"), "/v1/captures/Cap-01_Z"},
        {[](const APIClient& c) {
             return summarize(c.listTasks("a+b&c=d#e f/ж:@?"),
                              [](const auto& r) { return n(r.size()); });
         },
         "[]", "/v1/tasks?folderId=a%2Bb%26c%3Dd%23e%20f/%D0%B6:@?"},
        {[](const APIClient& c) {
             return summarize(c.deleteFolder("f", "move", "x&tasks=delete"),
                              [](const auto& r) { return r.id; });
         },
         folderJSON, "/v1/folders/f?tasks=move&to=x%26tasks%3Ddelete"},
    };
    for (const auto& row : cases) {
        auto transport = fakeTransport();
        transport->enqueue(200, row.answer);
        runOnTemporary(row.call, transport);
        ASSERT_EQ(transport->requests().size(), 1);
        EXPECT_EQ(target(transport->requests().front()), row.target);
    }
}

TEST(APIClient, UnformableRequestsSendNothing) {
    const std::function<QCoro::Task<TaskItem>(const APIClient&)> cases[] = {
        [](const APIClient& c) { return c.deleteTask(""); },
        [](const APIClient& c) { return c.deleteTask("."); },
        [](const APIClient& c) { return c.patchTask("..", {}); },
    };
    for (const auto& call : cases) {
        auto transport = fakeTransport();
        EXPECT_THROW(awaitTask(call(client(transport))), APIError);
        EXPECT_TRUE(transport->requests().isEmpty());
    }
    for (const char* base : {"", "not a url", "http://exa mple/", "/relative"}) {
        auto transport = fakeTransport();
        APIClient bad(QUrl(QString::fromLatin1(base)), transport, "tok");
        EXPECT_THROW(awaitTask(bad.me()), APIError) << base;
        EXPECT_TRUE(transport->requests().isEmpty()) << base;
    }
    auto transport = fakeTransport();
    EXPECT_THROW(awaitTask(client(transport, "tok\r\nX-Evil: 1").me()), APIError);
    EXPECT_TRUE(transport->requests().isEmpty());
}

// Malformed answers fail with the decoder's error. Big ones are decoded off the GUI thread:
// its event loop keeps turning meanwhile (no gap between timer ticks anywhere near the decode).
TEST(APIClient, BadBodiesFailWithDecodingErrorWithoutStallingTheLoop) {
    constexpr qsizetype hundredMB = 100 * 1024 * 1024;
    QByteArray garbage(hundredMB, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(garbage.data()), hundredMB / 4);
    QByteArray manyTasks = "[" + taskJSON;
    while (manyTasks.size() < hundredMB / 4)
        manyTasks += "," + taskJSON;
    manyTasks += ",{\"id\":";

    for (const QByteArray& body :
         {QByteArray("not json"), fixture("task_list.json").chopped(40), garbage, manyTasks}) {
        auto transport = fakeTransport();
        transport->enqueue(200, body);
        QElapsedTimer clock;
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - lastTick);
            lastTick = clock.elapsed();
        });
        ticker.start(5);
        clock.start();
        EXPECT_THROW(awaitTask(client(transport).listTasks()), DecodingError);
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        if (body.size() == manyTasks.size()) {
            EXPECT_GT(clock.elapsed(), 300) << "too quick to show anything";
            EXPECT_LT(longestGap, 150) << "the event loop stalled during the decode";
        }
    }
}

TEST(APIClient, AnyByteSequenceEndsInAValueOrADecodingError) {
    QRandomGenerator random(42);
    const QByteArray seed = fixture("task_list.json");
    for (int round = 0; round < 300; ++round) {
        QByteArray body = seed;
        for (int flips = 0; flips < 1 + round % 8; ++flips)
            body[random.bounded(body.size())] = static_cast<char>(random.bounded(256));
        if (round % 3 == 0)
            body.truncate(random.bounded(body.size()));
        auto transport = fakeTransport();
        transport->enqueue(200, body);
        try {
            awaitTask(client(transport).listTasks());
        } catch (const DecodingError&) {
        }
    }
}
