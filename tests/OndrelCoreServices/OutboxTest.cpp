#include "OndrelCore/Outbox.h"
#include "OndrelCore/APIError.h"
#include "OndrelCore/ODJSON.h"
#include "OndrelCore/TransportError.h"

#include "Records.h"
#include "support/WaitUntil.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

PendingCapture capture(const char* id, std::optional<qint64> durationMs = 1200) {
    return PendingCapture{.id = QString::fromUtf8(id),
                          .audioBase64 = QStringLiteral("AAAA") + QString::fromUtf8(id),
                          .mimeType = QStringLiteral("audio/m4a"),
                          .durationMs = durationMs,
                          .createdAt = day(1)};
}

CaptureProcessResponse accepted(const char* captureId) {
    return CaptureProcessResponse{.capture = Capture{.id = QString::fromUtf8(captureId),
                                                     .userId = QStringLiteral("u1"),
                                                     .deviceId = {},
                                                     .audioUrl = {},
                                                     .durationMs = 1200,
                                                     .status = CaptureStatus::processed,
                                                     .latestRunId = {},
                                                     .retentionUntil = {},
                                                     .createdAt = day(2)},
                                  .run = {},
                                  .result = {}};
}

QByteArray json(const CaptureProcessResponse& response) {
    return ODJSON::encoder().encode(response);
}

QJsonObject bodyOf(const HTTPRequest& request) {
    return QJsonDocument::fromJson(request.body.value_or(QByteArray())).object();
}

// The audio of each request, in order: which captures went out.
QStringList sentAudio(const FakeTransport& transport) {
    QStringList audio;
    for (const HTTPRequest& request : transport.requests())
        audio.append(bodyOf(request).value(QStringLiteral("audioBase64")).toString());
    return audio;
}

const CaptureProcessResponse* response(const Outbox::Outcome& outcome) {
    return std::get_if<CaptureProcessResponse>(&outcome);
}

template <class Error>
std::optional<Error> failure(const Outbox::Outcome& outcome) {
    const auto* error = std::get_if<std::exception_ptr>(&outcome);
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(*error);
    } catch (const Error& caught) {
        return caught;
    } catch (...) {
    }
    return std::nullopt;
}

struct OutboxTest : testing::Test {
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    APIClient api{QUrl(QStringLiteral("https://tasks.example")), transport, QStringLiteral("tok")};
};

TEST_F(OutboxTest, keepsOnlyTheCapturesThatFailed) {
    Outbox outbox({capture("a"), capture("b"), capture("c", std::nullopt)});
    transport->enqueue(200, json(accepted("ca")));
    transport->enqueue(500, "boom");
    transport->enqueue(201, json(accepted("cc")));

    const QList<Outbox::Outcome> outcomes = awaitTask(outbox.flush(api));
    ASSERT_EQ(outcomes.size(), 3);
    ASSERT_TRUE(response(outcomes[0]));
    EXPECT_EQ(*response(outcomes[0]), accepted("ca"));
    EXPECT_EQ(failure<APIError>(outcomes[1]), APIError::http(500, QStringLiteral("boom")));
    ASSERT_TRUE(response(outcomes[2]));
    EXPECT_EQ(response(outcomes[2])->capture.id, QStringLiteral("cc"));
    EXPECT_EQ(outbox.pending(), QList<PendingCapture>{capture("b")});

    ASSERT_EQ(transport->requests().size(), 3);
    const HTTPRequest& first = transport->requests()[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.url.path(), QStringLiteral("/captures"));
    EXPECT_EQ(first.header("Authorization"), QByteArray("Bearer tok"));
    // Only the three fields of the body: id and createdAt stay local.
    EXPECT_EQ(
        bodyOf(first),
        (QJsonObject{{"audioBase64", "AAAAa"}, {"mimeType", "audio/m4a"}, {"durationMs", 1200}}));
    EXPECT_FALSE(bodyOf(transport->requests()[2]).contains(QStringLiteral("durationMs")));
}

TEST_F(OutboxTest, triesAKeptCaptureAgainAtTheNextFlush) {
    Outbox outbox({capture("a")});
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::HostNotFoundError, QStringLiteral("Host not found"))));
    const auto first = awaitTask(outbox.flush(api));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(failure<TransportError>(first[0])->error(), QNetworkReply::HostNotFoundError);
    EXPECT_EQ(outbox.pending().size(), 1);

    transport->enqueue(401, "expired");
    const auto second = awaitTask(outbox.flush(api));
    EXPECT_EQ(failure<APIError>(second[0]), APIError::unauthorized());

    transport->enqueue(200, "{\"capture\": 1}"); // accepted, but unreadable: still kept
    EXPECT_FALSE(response(awaitTask(outbox.flush(api))[0]));

    transport->enqueue(200, json(accepted("ca")));
    EXPECT_TRUE(response(awaitTask(outbox.flush(api))[0]));
    EXPECT_TRUE(outbox.pending().isEmpty());
    EXPECT_EQ(sentAudio(*transport), QStringList(4, QStringLiteral("AAAAa")));
}

TEST_F(OutboxTest, emptyOutboxSendsNothing) {
    Outbox outbox;
    EXPECT_TRUE(awaitTask(outbox.flush(api)).isEmpty());
    EXPECT_TRUE(transport->requests().isEmpty());
}

TEST_F(OutboxTest, repeatedIdsAreBothQueuedAndSent) {
    Outbox outbox;
    outbox.enqueue(capture("a"));
    outbox.enqueue(capture("a"));
    EXPECT_EQ(outbox.pending().size(), 2);
    transport->setHandler([](const HTTPRequest&) {
        return HTTPResponse{json(accepted("c")), 200};
    });
    EXPECT_EQ(awaitTask(outbox.flush(api)).size(), 2);
    EXPECT_EQ(transport->requests().size(), 2);
    EXPECT_TRUE(outbox.pending().isEmpty());
}

// A capture made while a flush waits on the network is neither sent by that flush nor lost;
// it queues behind the captures the flush keeps.
TEST_F(OutboxTest, captureEnqueuedDuringAFlushWaitsBehindTheKeptOnes) {
    Outbox outbox({capture("a"), capture("b")});
    transport->enqueue(500, "down");
    transport->enqueue(200, json(accepted("cb")));
    transport->setHeld(true);
    auto flushing = outbox.flush(api);
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    outbox.enqueue(capture("late"));
    transport->release();
    const auto outcomes = awaitTask(std::move(flushing));

    EXPECT_EQ(outcomes.size(), 2);
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb"}));
    EXPECT_EQ(outbox.pending(), (QList<PendingCapture>{capture("a"), capture("late")}));

    transport->setHandler([](const HTTPRequest&) {
        return HTTPResponse{json(accepted("c")), 200};
    });
    EXPECT_EQ(awaitTask(outbox.flush(api)).size(), 2);
    EXPECT_TRUE(outbox.pending().isEmpty());
}

// While a flush runs, the captures it has not reached yet are still pending.
TEST_F(OutboxTest, acceptedCapturesLeaveTheQueueOneByOne) {
    Outbox outbox({capture("a"), capture("b")});
    transport->setHandler([](const HTTPRequest&) {
        return HTTPResponse{json(accepted("c")), 200};
    });
    transport->setHeld(true);
    auto flushing = outbox.flush(api);
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    EXPECT_EQ(outbox.pending().size(), 2);
    transport->release();
    awaitTask(std::move(flushing));
    EXPECT_TRUE(outbox.pending().isEmpty());
}

TEST_F(OutboxTest, secondFlushWaitsForTheFirstAndSendsNothingTwice) {
    Outbox outbox({capture("a"), capture("b")});
    transport->setHandler([](const HTTPRequest&) {
        return HTTPResponse{json(accepted("c")), 200};
    });
    transport->setHeld(true);
    auto first = outbox.flush(api);
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    auto second = outbox.flush(api);
    outbox.enqueue(capture("c"));
    transport->release();

    EXPECT_EQ(awaitTask(std::move(first)).size(), 2);
    EXPECT_EQ(awaitTask(std::move(second)).size(), 1);
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb", "AAAAc"}));
    EXPECT_TRUE(outbox.pending().isEmpty());
}

TEST_F(OutboxTest, outboxGoneDuringAFlushEndsItQuietly) {
    auto outbox = std::make_unique<Outbox>(QList<PendingCapture>{capture("a"), capture("b")});
    transport->setHandler([](const HTTPRequest&) {
        return HTTPResponse{json(accepted("c")), 200};
    });
    transport->setHeld(true);
    auto flushing = outbox->flush(api);
    ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == 1; }));
    outbox.reset();
    transport->release();
    EXPECT_EQ(awaitTask(std::move(flushing)).size(), 1);
    EXPECT_EQ(transport->requests().size(), 1);
}

} // namespace
