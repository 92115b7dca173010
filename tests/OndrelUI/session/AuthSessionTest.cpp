#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "ManualTransport.h"

#include "OndrelUI/session/AuthSession.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

namespace {

const QString storeKey = QString::fromLatin1(AuthSession::storeKey);

QByteArray authAnswer(const char* access) {
    return QByteArray(R"({"user":{"id":"usr_01","timezone":"Europe/Moscow","locale":"ru_RU"},)") +
           R"("created":false,"accessToken":")" + access + R"(","refreshToken":"ref.2",)" +
           R"("accessExpiresAt":"2024-06-01T10:30:00Z","refreshExpiresAt":"2024-07-01T10:30:00Z"})";
}

QVariant tokenRecord(const char* access, const char* refresh) {
    return QVariantMap{{"access", access}, {"refresh", refresh}};
}

auto me = [](APIClient client) { return client.me(); };

class AuthSessionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath("ondrel.ini"), QSettings::IniFormat};
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();

    std::unique_ptr<AuthSession> session(std::optional<QVariant> stored = std::nullopt) {
        if (stored) {
            settings.setValue(storeKey, *stored);
            settings.sync();
        }
        transport = std::make_shared<FakeTransport>();
        return std::make_unique<AuthSession>(QUrl("https://svc"), transport, &settings);
    }

    // The service: 401 unless the bearer is acc.2, which renewal hands out.
    void serve() {
        transport->setHandler([](const HTTPRequest& request) {
            if (request.url.path() == "/auth/refresh")
                return HTTPResponse{authAnswer("acc.2"), 200};
            if (request.header("Authorization") == "Bearer acc.2")
                return HTTPResponse{R"({"id":"usr_01","timezone":"UTC","locale":"ru_RU"})", 200};
            return HTTPResponse{"expired", 401};
        });
    }

    QVariant storedRecord() const {
        return QSettings(settings.fileName(), QSettings::IniFormat).value(storeKey);
    }
};

} // namespace

// The service spends a refresh token once: calls that meet 401 while a renewal runs wait for it
// instead of renewing again, and one whose token was replaced before its 401 came is repeated
// with the new token. Every call is repeated once; a failed renewal fails them all.
TEST_F(AuthSessionTest, CallsThatMeet401TogetherShareOneRenewal) {
    const struct {
        bool secondLate; // its 401 arrives after the renewal ended
        bool renewed;
    } cases[] = {{false, true}, {true, true}, {false, false}};
    for (const auto& row : cases) {
        settings.setValue(storeKey, tokenRecord("acc.1", "ref.1"));
        const auto manual = std::make_shared<ManualTransport>();
        AuthSession auth(QUrl("https://svc"), manual, &settings);
        const auto& requests = manual->requests();
        auto first = auth.run(me);
        auto second = auth.run(me);
        manual->answer(0, 401, "");
        ASSERT_TRUE(waitUntil([&] { return requests.size() == 3; }));
        EXPECT_EQ(requests[2].body, R"({"refreshToken":"ref.1"})");
        if (!row.secondLate)
            manual->answer(1, 401, "");
        manual->answer(2, row.renewed ? 200 : 401, row.renewed ? authAnswer("acc.2") : "");
        if (row.secondLate) {
            ASSERT_TRUE(waitUntil([&] { return requests.size() == 4; }));
            manual->answer(1, 401, "");
        }
        if (!row.renewed) {
            EXPECT_TRUE(failureOf<APIError>(std::move(first)) == APIError::unauthorized());
            EXPECT_TRUE(failureOf<APIError>(std::move(second)) == APIError::unauthorized());
            EXPECT_EQ(requests.size(), 3);
            EXPECT_EQ(storedRecord(), tokenRecord("acc.1", "ref.1"));
            continue;
        }
        ASSERT_TRUE(waitUntil([&] { return requests.size() == 5; }));
        for (const qsizetype repeated : {3, 4}) {
            EXPECT_EQ(requests[repeated].header("Authorization"), "Bearer acc.2");
            manual->answer(repeated, 200, R"({"id":"usr_01","timezone":"UTC","locale":"ru_RU"})");
        }
        EXPECT_EQ(awaitTask(std::move(first)).id, "usr_01");
        EXPECT_EQ(awaitTask(std::move(second)).id, "usr_01");
        EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                                [](const auto& r) { return r.url.path() == "/auth/refresh"; }),
                  1);
        EXPECT_EQ(storedRecord(), tokenRecord("acc.2", "ref.2"));
    }
}

// Signing out while a renewal runs: the renewed pair comes back to nobody.
TEST_F(AuthSessionTest, ARenewalEndingAfterLogoutKeepsNothing) {
    settings.setValue(storeKey, tokenRecord("acc.1", "ref.1"));
    const auto manual = std::make_shared<ManualTransport>();
    AuthSession auth(QUrl("https://svc"), manual, &settings);
    auto call = auth.run(me);
    manual->answer(0, 401, "");
    ASSERT_TRUE(waitUntil([&] { return manual->requests().size() == 2; }));
    auth.logout();
    manual->answer(1, 200, authAnswer("acc.2"));
    ASSERT_TRUE(waitUntil([&] { return manual->requests().size() == 3; }));
    EXPECT_EQ(manual->requests()[2].header("Authorization"), std::nullopt);
    manual->answer(2, 401, "");
    EXPECT_TRUE(failureOf<APIError>(std::move(call)) == APIError::unauthorized());
    EXPECT_FALSE(auth.isAuthed());
    EXPECT_FALSE(storedRecord().isValid());
}

// A second 401 is not renewed again, nor is any other failure; a rejected renewal keeps the pair.
TEST_F(AuthSessionTest, FailuresThatEndTheCall) {
    const struct {
        std::vector<std::pair<int, QByteArray>> answers;
        APIError expected;
        const char* access;
    } cases[] = {
        {{{401, ""}, {200, authAnswer("acc.2")}, {401, "still"}},
         APIError::unauthorized(),
         "acc.2"},
        {{{500, "down"}}, APIError::http(500, "down"), "acc.1"},
        {{{401, ""}, {401, "revoked"}}, APIError::unauthorized(), "acc.1"},
    };
    for (const auto& row : cases) {
        auto auth = session(tokenRecord("acc.1", "ref.1"));
        for (const auto& [status, body] : row.answers)
            transport->enqueue(status, body);
        const APIError error = failureOf<APIError>(auth->run(me));
        EXPECT_TRUE(error == row.expected) << error.what();
        EXPECT_EQ(transport->requests().size(), qsizetype(row.answers.size()));
        EXPECT_EQ(auth->accessToken(), row.access);
        EXPECT_EQ(storedRecord().toMap().value("access").toString(), row.access);
    }
}

// Settings saved before sign-in may have left the file readable by all. It is restricted
// before the tokens go in, not after: QSettings replaces the file when it saves, so the file as
// it was, kept through a second link, shows which came first.
TEST_F(AuthSessionTest, TokensGoOnlyIntoAPrivateFileAndLogoutRemovesThem) {
    settings.setValue("window/width", 800);
    settings.sync();
    ASSERT_TRUE(QFile::setPermissions(settings.fileName(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const QString earlier = dir.filePath("earlier.ini");
    ASSERT_EQ(::link(QFile::encodeName(settings.fileName()).constData(),
                     QFile::encodeName(earlier).constData()),
              0);
    auto auth = session();
    int changes = 0;
    QObject::connect(auth.get(), &AuthSession::accessTokenChanged, [&] { ++changes; });
    auth->set("acc.1", "ref.1");
    auth->set("acc.1", "ref.9"); // same access token: no announcement
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fileMode(earlier), 0600);
    EXPECT_EQ(fileMode(settings.fileName()), 0600);
    EXPECT_EQ(storedRecord(), tokenRecord("acc.1", "ref.9"));
    EXPECT_EQ(settings.value("window/width").toInt(), 800);

    auth->logout();
    EXPECT_FALSE(auth->isAuthed());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(storedRecord().isValid());
    EXPECT_THROW(awaitTask(auth->refreshTokens()), APIError); // the refresh token went too
    EXPECT_TRUE(transport->requests().isEmpty());
}

// The session may go away while a call is suspended (its window closed): the call fails
// instead of touching it, and nothing is written.
TEST_F(AuthSessionTest, SessionDestroyedWhileSuspended) {
    for (const qsizetype held : {1, 2}) { // the call, or the renewal after its 401
        auto auth = session(tokenRecord("acc.1", "ref.1"));
        transport->setHandler([inner = transport.get(), held](const HTTPRequest&) {
            inner->setHeld(held == 2);
            return HTTPResponse{"", 401};
        });
        transport->setHeld(held == 1);
        auto call = auth->run(me);
        QTimer::singleShot(20, [&] {
            EXPECT_EQ(transport->requests().size(), held);
            serve();
            auth.reset();
            transport->release();
        });
        EXPECT_TRUE(failureOf<APIError>(std::move(call)) == APIError::unauthorized());
        EXPECT_EQ(transport->requests().size(), held);
        EXPECT_EQ(storedRecord(), tokenRecord("acc.1", "ref.1"));
    }
}
