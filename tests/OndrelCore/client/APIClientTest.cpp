#include "Fixtures.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;
using Call = std::function<QCoro::Task<void>(const APIClient&)>;

template <class T>
QCoro::Task<void> discard(QCoro::Task<T> task) {
    co_await std::move(task);
}

// An operation whose answer must decode as its own result type.
template <class Start>
Call op(Start start) {
    return [start](const APIClient& c) { return discard(start(c)); };
}

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

APIClient client(std::shared_ptr<HTTPTransport> transport,
                 std::optional<QString> token = QStringLiteral("tok")) {
    return APIClient(QUrl(QStringLiteral("https://api.example.test/v1")), std::move(transport),
                     std::move(token));
}

// Runs an operation on a client that is gone before the answer arrives: operations copy what
// they need.
void runOnTemporary(const Call& call, const std::shared_ptr<FakeTransport>& transport,
                    QByteArray answer, std::optional<QString> token = QStringLiteral("tok")) {
    transport->enqueue(200, answer);
    auto task = [&] { return call(client(transport, std::move(token))); }();
    awaitTask(std::move(task));
}

QByteArray target(const HTTPRequest& request) {
    return request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
}

struct OperationCase {
    const char* name;
    Call call;
    QByteArray method;
    QByteArray target; // path and query exactly as sent
    std::optional<QByteArray> body;
    bool auth;
    QByteArray answer;
};

// The rules of building requests; every operation is also run against the service itself in
// the local service's contract tests.
std::vector<OperationCase> operationCases() {
    const auto since = *Instant::fromISO8601("2024-06-01T09:30:00.250Z");
    TaskCreateBody create;
    create.title = "Купить молоко";
    const auto none = std::nullopt;
    // clang-format off
    return {
        {"loginYandex", op([](auto& c) { return c.loginYandex("ya.token"); }), "POST",
         "/v1/auth/yandex", R"({"accessToken":"ya.token"})", false, fixture("auth_response.json")},
        {"refresh", op([](auto& c) { return c.refresh("ref.1"); }), "POST",
         "/v1/auth/refresh", R"({"refreshToken":"ref.1"})", false, fixture("auth_response.json")},
        {"me", op([](auto& c) { return c.me(); }), "GET", "/v1/auth/me", none, true, userJSON},
        {"deleteFolder delete", op([](auto& c) { return c.deleteFolder("f1", "delete", "f2"); }),
         "DELETE", "/v1/folders/f1?tasks=delete", none, true, folderJSON},
        {"deleteFolder move", op([](auto& c) { return c.deleteFolder("f/1", "move", "x&tasks=delete"); }),
         "DELETE", "/v1/folders/f%2F1?tasks=move&to=x%26tasks%3Ddelete", none, true, folderJSON},
        {"deleteFolder move nowhere", op([](auto& c) { return c.deleteFolder("f1", "move"); }),
         "DELETE", "/v1/folders/f1?tasks=move", none, true, folderJSON},
        {"listTasks both", op([](auto& c) { return c.listTasks("f1", TaskStatus::todo); }),
         "GET", "/v1/tasks?folderId=f1&status=TODO", none, true, "[]"},
        {"createTask", op([create](auto& c) { return c.createTask(create); }), "POST",
         "/v1/tasks", R"({"title":"Купить молоко"})", true, taskJSON},
        {"completeTask", op([](auto& c) { return c.completeTask("t9"); }), "POST",
         "/v1/tasks/t9/complete", none, true, taskJSON},
        {"syncPull since", op([since](auto& c) { return c.syncPull(since); }), "GET",
         "/v1/sync?since=2024-06-01T09:30:00Z", none, true, fixture("sync_pull.json")},
        {"reprocess", op([](auto& c) { return c.reprocess("c2"); }), "POST",
         "/v1/captures/c2/reprocess", "{}", true, fixture("reprocess.json")},
    };
    // clang-format on
}

} // namespace

// The exact request on the wire and its answer decoded, awaited on a client that no longer
// exists. A client without a token sends no Authorization at all.
TEST(APIClient, OperationsSendTheirRequestAndDecodeTheirAnswer) {
    for (const auto& row : operationCases()) {
        SCOPED_TRACE(row.name);
        auto transport = std::make_shared<FakeTransport>();
        runOnTemporary(row.call, transport, row.answer);
        ASSERT_EQ(transport->requests().size(), 1);
        const HTTPRequest& sent = transport->requests().front();
        Headers headers;
        if (row.body)
            headers.emplaceBack("Content-Type", "application/json");
        if (row.auth)
            headers.emplaceBack("Authorization", "Bearer tok");
        EXPECT_EQ(sent.method, row.method);
        EXPECT_EQ(sent.url.host(), "api.example.test");
        EXPECT_EQ(target(sent), row.target);
        EXPECT_EQ(sent.headers, headers);
        EXPECT_EQ(sent.body, row.body);
        EXPECT_EQ(sent.timeout, std::chrono::seconds(60));
        EXPECT_EQ(sent.cachePolicy, QNetworkRequest::AlwaysNetwork);
    }
    auto transport = std::make_shared<FakeTransport>();
    runOnTemporary(op([](auto& c) { return c.me(); }), transport, userJSON, std::nullopt);
    EXPECT_FALSE(transport->requests().front().header("Authorization"));
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
        {500, "bad \xff\xfe bytes", APIError::http(500, QStringLiteral("bad \uFFFD\uFFFD bytes"))},
        {302, "moved", APIError::http(302, "moved")},
        {204, "", std::nullopt},
        {299, "{", std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.status);
        auto transport = std::make_shared<FakeTransport>();
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

// What cannot be one path segment, a token that would break its header line, and a base URL
// that does not make a URL or would carry the tokens in clear text: refused, nothing sent.
TEST(APIClient, RefusedRequestsSendNothing) {
    using Reason = RequestRefusal::Reason;
    const auto base = [](const char* text) { return QUrl(QString::fromLatin1(text)); };
    const QUrl good = base("https://api.example.test/v1");
    const auto me = [](const APIClient& c) { return discard(c.me()); };
    const struct {
        QUrl baseURL;
        QString token;
        std::function<QCoro::Task<void>(const APIClient&)> call;
        Reason reason;
    } cases[] = {
        {good, "tok", [](auto& c) { return discard(c.deleteTask("")); }, Reason::unusableId},
        {good, "tok", [](auto& c) { return discard(c.deleteTask(".")); }, Reason::unusableId},
        {good, "tok", [](auto& c) { return discard(c.patchTask("..", {})); }, Reason::unusableId},
        {good, "tok\r\nX-Evil: 1", me, Reason::unsafeToken},
        {base(""), "tok", me, Reason::unusableURL},
        {base("not a url"), "tok", me, Reason::unusableURL},
        {base("/relative"), "tok", me, Reason::unusableURL},
        {base("http://api.example.test"), "tok", me, Reason::insecureAddress},
        {base("ftp://127.0.0.1"), "tok", me, Reason::insecureAddress},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.baseURL.toString().toStdString() + " " + std::to_string(int(row.reason)));
        auto transport = std::make_shared<FakeTransport>();
        try {
            awaitTask(row.call(APIClient(row.baseURL, transport, row.token)));
            ADD_FAILURE() << "not refused";
        } catch (const RequestRefusal& refusal) {
            EXPECT_EQ(refusal.reason(), row.reason);
        }
        EXPECT_TRUE(transport->requests().isEmpty());
    }
}

// Malformed answers fail with the decoder's error. Big ones are decoded off the GUI thread, whose
// event loop keeps turning meanwhile: a 5 ms timer keeps firing (a decode on the GUI thread
// would leave one or two ticks in all).
TEST(APIClient, BadBodiesFailWithDecodingErrorWithoutStallingTheLoop) {
    QByteArray manyTasks = "[" + taskJSON;
    while (manyTasks.size() < 25 * 1024 * 1024)
        manyTasks += "," + taskJSON;
    manyTasks += ",{\"id\":";

    for (const QByteArray& body :
         {QByteArray("not json"), fixture("task_list.json").chopped(40), manyTasks}) {
        auto transport = std::make_shared<FakeTransport>();
        transport->enqueue(200, body);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        QElapsedTimer clock;
        clock.start();
        EXPECT_THROW(awaitTask(client(transport).listTasks()), DecodingError);
        if (body.size() == manyTasks.size() && clock.elapsed() >= 100) {
            EXPECT_GE(ticks, clock.elapsed() / 50) << "the event loop stalled during the decode";
        }
    }
}
