#include "support/FakeTransport.h"
#include "support/AwaitTask.h"

#include "OndrelCore/client/TransportError.h"

#include <QCoroTask>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

HTTPRequest get(const char* path) {
    HTTPRequest request;
    request.url = QUrl(QStringLiteral("http://h") + QLatin1String(path));
    request.method = "GET";
    return request;
}

} // namespace

TEST(FakeTransport, AnswersFromScriptThenHandlerOnALaterTurn) {
    FakeTransport fake;
    fake.enqueue(201, "first");
    fake.enqueueError(std::make_exception_ptr(TransportError(QNetworkReply::TimeoutError, "t")));
    fake.setHandler([](const HTTPRequest& r) { return HTTPResponse{r.url.path().toUtf8(), 200}; });

    auto task = fake.send(get("/a"));
    EXPECT_FALSE(task.isReady()); // never answers synchronously
    EXPECT_EQ(awaitTask(std::move(task)).statusCode, 201);
    EXPECT_THROW(awaitTask(fake.send(get("/b"))), TransportError);
    EXPECT_EQ(awaitTask(fake.send(get("/c"))).body, "/c");
    ASSERT_EQ(fake.requests().size(), 3);
    EXPECT_EQ(fake.requests()[1].url.path(), "/b");
}

TEST(FakeTransport, UnscriptedRequestFails) {
    FakeTransport fake;
    EXPECT_THROW(awaitTask(fake.send(get("/x"))), std::logic_error);
}

TEST(FakeTransport, HeldSendsWaitForRelease) {
    FakeTransport fake;
    fake.setHandler([](const HTTPRequest&) { return HTTPResponse{"ok", 200}; });
    fake.setHeld(true);
    int answered = 0;
    auto both = [&]() -> QCoro::Task<QByteArray> {
        auto a = fake.send(get("/a"));
        auto b = fake.send(get("/b"));
        const HTTPResponse first = co_await std::move(a);
        ++answered;
        const HTTPResponse second = co_await std::move(b);
        ++answered;
        co_return first.body + second.body;
    };
    QTimer::singleShot(20, [&] {
        EXPECT_EQ(answered, 0);
        EXPECT_EQ(fake.requests().size(), 2); // recorded while held
        fake.release();
    });
    EXPECT_EQ(awaitTask(both()), "okok");
}
