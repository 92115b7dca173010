#include "OndrelCore/replica/Outbox.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/TransportError.h"
#include "OndrelCore/json/ODJSON.h"

#include "Records.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

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
    try {
        std::rethrow_exception(std::get<std::exception_ptr>(outcome));
    } catch (const Error& caught) {
        return caught;
    } catch (...) {
    }
    return std::nullopt;
}

struct OutboxTest : testing::Test {
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    APIClient api{QUrl(QStringLiteral("https://tasks.example")), transport, QStringLiteral("tok")};

    // The service accepts every capture; held, it answers only after release().
    void acceptEverything(bool held) {
        transport->setHandler([](const HTTPRequest&) {
            return HTTPResponse{json(acceptedCapture("c")), 200};
        });
        transport->setHeld(held);
    }
    void awaitRequests(qsizetype count) {
        ASSERT_TRUE(waitUntil([&] { return transport->requests().size() == count; }));
    }
};

// Each capture leaves the queue once accepted; a failure of any kind (the service's, the
// network's, an unreadable answer) keeps it for the next flush. Repeated ids are separate
// captures. Only three fields travel: id and createdAt stay local.
TEST_F(OutboxTest, KeepsEveryCaptureThatFailed) {
    Outbox outbox({pendingCapture("a"), pendingCapture("b"), pendingCapture("c", std::nullopt),
                   pendingCapture("a")});
    transport->enqueue(200, json(acceptedCapture("ca")));
    transport->enqueue(500, "boom");
    transport->enqueueError(std::make_exception_ptr(
        TransportError(QNetworkReply::HostNotFoundError, QStringLiteral("Host not found"))));
    transport->enqueue(201, json(acceptedCapture("cc")));
    const QList<Outbox::Outcome> outcomes = awaitTask(outbox.flush(api));
    ASSERT_EQ(outcomes.size(), 4);
    EXPECT_EQ(*response(outcomes[0]), acceptedCapture("ca"));
    EXPECT_EQ(failure<APIError>(outcomes[1]), APIError::http(500, QStringLiteral("boom")));
    EXPECT_EQ(failure<TransportError>(outcomes[2])->error(), QNetworkReply::HostNotFoundError);
    EXPECT_EQ(response(outcomes[3])->capture.id, QStringLiteral("cc"));
    ASSERT_EQ(outbox.pending(),
              (QList<PendingCapture>{pendingCapture("b"), pendingCapture("c", std::nullopt)}));
    EXPECT_EQ(
        bodyOf(transport->requests()[0]),
        (QJsonObject{{"audioBase64", "AAAAa"}, {"mimeType", "audio/m4a"}, {"durationMs", 1200}}));
    EXPECT_FALSE(bodyOf(transport->requests()[2]).contains(QStringLiteral("durationMs")));

    transport->enqueue(401, "expired");
    transport->enqueue(200, "{\"capture\": 1}"); // accepted, but unreadable: still kept
    const auto second = awaitTask(outbox.flush(api));
    EXPECT_EQ(failure<APIError>(second[0]), APIError::unauthorized());
    EXPECT_FALSE(response(second[1]));
    acceptEverything(false);
    EXPECT_EQ(awaitTask(outbox.flush(api)).size(), 2);
    EXPECT_TRUE(outbox.pending().isEmpty());
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb", "AAAAc", "AAAAa", "AAAAb",
                                                  "AAAAc", "AAAAb", "AAAAc"}));
}

// A capture made while a flush waits on the network is neither sent by that flush nor lost;
// it queues behind the captures the flush keeps.
TEST_F(OutboxTest, captureEnqueuedDuringAFlushWaitsBehindTheKeptOnes) {
    Outbox outbox({pendingCapture("a"), pendingCapture("b")});
    transport->enqueue(500, "down");
    transport->enqueue(200, json(acceptedCapture("cb")));
    transport->setHeld(true);
    auto flushing = outbox.flush(api);
    awaitRequests(1);
    outbox.enqueue(pendingCapture("late"));
    transport->release();
    const auto outcomes = awaitTask(std::move(flushing));

    EXPECT_EQ(outcomes.size(), 2);
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb"}));
    EXPECT_EQ(outbox.pending(),
              (QList<PendingCapture>{pendingCapture("a"), pendingCapture("late")}));

    acceptEverything(false);
    EXPECT_EQ(awaitTask(outbox.flush(api)).size(), 2);
    EXPECT_TRUE(outbox.pending().isEmpty());
}

// Captures leave the queue one by one as they are accepted; a second flush started meanwhile
// waits for the first and sends only what is new.
TEST_F(OutboxTest, secondFlushWaitsForTheFirstAndSendsNothingTwice) {
    Outbox outbox({pendingCapture("a"), pendingCapture("b")});
    acceptEverything(true);
    auto first = outbox.flush(api);
    awaitRequests(1);
    EXPECT_EQ(outbox.pending().size(), 2);
    auto second = outbox.flush(api);
    outbox.enqueue(pendingCapture("c"));
    transport->release();

    EXPECT_EQ(awaitTask(std::move(first)).size(), 2);
    EXPECT_EQ(awaitTask(std::move(second)).size(), 1);
    EXPECT_EQ(sentAudio(*transport), QStringList({"AAAAa", "AAAAb", "AAAAc"}));
    EXPECT_TRUE(outbox.pending().isEmpty());
}

TEST_F(OutboxTest, outboxGoneDuringAFlushEndsItQuietly) {
    auto outbox =
        std::make_unique<Outbox>(QList<PendingCapture>{pendingCapture("a"), pendingCapture("b")});
    acceptEverything(true);
    auto flushing = outbox->flush(api);
    awaitRequests(1);
    outbox.reset();
    transport->release();
    EXPECT_EQ(awaitTask(std::move(flushing)).size(), 1);
    EXPECT_EQ(transport->requests().size(), 1);
}

} // namespace
