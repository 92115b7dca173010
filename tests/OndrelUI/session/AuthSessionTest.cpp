#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/FileMode.h"

#include "OndrelUI/session/AuthSession.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString storeKey = QString::fromLatin1(AuthSession::storeKey);

QByteArray authAnswer(const char* access, const char* refresh) {
    return QByteArray(R"({"user":{"id":"usr_01","timezone":"Europe/Moscow","locale":"ru_RU"},)") +
           R"("created":false,"accessToken":")" + access + R"(","refreshToken":")" + refresh +
           R"(","accessExpiresAt":"2024-06-01T10:30:00Z","refreshExpiresAt":"2024-07-01T10:30:00Z"})";
}

const QByteArray userAnswer = R"({"id":"usr_01","timezone":"Europe/Moscow","locale":"ru_RU"})";

QVariantMap tokenRecord(const char* access, const char* refresh) {
    return QVariantMap{{"access", access}, {"refresh", refresh}};
}

auto me = [](APIClient client) { return client.me(); };

class AuthSessionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath("ondrel.ini"), QSettings::IniFormat};
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();

    std::unique_ptr<AuthSession> session() {
        return std::make_unique<AuthSession>(QUrl("https://svc"), transport, &settings);
    }

    // The service: 401 unless the bearer is `valid`; renewal hands out `renewed`.
    void serve(QByteArray valid, const char* renewedAccess = "acc.2") {
        transport->setHandler([=](const HTTPRequest& request) {
            if (request.url.path() == "/auth/refresh")
                return HTTPResponse{authAnswer(renewedAccess, "ref.2"), 200};
            if (request.header("Authorization") == "Bearer " + valid)
                return HTTPResponse{userAnswer, 200};
            return HTTPResponse{"expired", 401};
        });
    }

    QStringList sent() const {
        QStringList lines;
        for (const auto& request : transport->requests())
            lines << QString::fromUtf8(request.method + ' ' + request.url.path().toUtf8() + ' ' +
                                       request.header("Authorization").value_or("-") + ' ' +
                                       request.body.value_or("-"));
        return lines;
    }

    QVariant storedRecord() {
        QSettings reread(settings.fileName(), QSettings::IniFormat);
        return reread.value(storeKey);
    }
};

} // namespace

// What a stored record restores, and whether a refresh token came with it (renewal sends it,
// or fails at once without a request).
TEST_F(AuthSessionTest, RestoresTheTokenRecord) {
    const struct {
        const char* name;
        std::optional<QVariant> stored;
        std::optional<QString> access;
        std::optional<QByteArray> refresh;
    } cases[] = {
        {"no record", std::nullopt, std::nullopt, std::nullopt},
        {"both", tokenRecord("a1", "r1"), "a1", "r1"},
        {"access not text", QVariantMap{{"access", 5}, {"refresh", "r1"}}, std::nullopt, "r1"},
        {"refresh not text", QVariantMap{{"access", "a1"}, {"refresh", QStringList{"r"}}}, "a1",
         std::nullopt},
        {"not a record", QVariant("a1"), std::nullopt, std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        settings.clear();
        if (row.stored)
            settings.setValue(storeKey, *row.stored);
        settings.sync();
        transport = std::make_shared<FakeTransport>();
        transport->enqueue(500, "down");
        auto restored = session();
        EXPECT_EQ(restored->accessToken(), row.access);
        EXPECT_EQ(restored->isAuthed(), row.access.has_value());
        EXPECT_THROW(awaitTask(restored->refreshTokens()), APIError);
        EXPECT_EQ(transport->requests().size(), row.refresh ? 1 : 0);
        if (row.refresh) {
            EXPECT_EQ(transport->requests()[0].body, R"({"refreshToken":")" + *row.refresh + "\"}");
        }
    }
}

TEST_F(AuthSessionTest, RenewsOnceAfter401AndKeepsTheNewPair) {
    settings.setValue(storeKey, tokenRecord("acc.1", "ref.1"));
    auto auth = session();
    int changes = 0;
    QObject::connect(auth.get(), &AuthSession::accessTokenChanged, [&] { ++changes; });
    serve("acc.2");

    EXPECT_EQ(awaitTask(auth->run(me)).id, "usr_01");
    EXPECT_EQ(sent(), QStringList({"GET /auth/me Bearer acc.1 -",
                                   R"(POST /auth/refresh - {"refreshToken":"ref.1"})",
                                   "GET /auth/me Bearer acc.2 -"}));
    EXPECT_EQ(auth->accessToken(), "acc.2");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(storedRecord(), QVariant(tokenRecord("acc.2", "ref.2")));
}

TEST_F(AuthSessionTest, FailuresThatEndTheCall) {
    const struct {
        const char* name;
        QVariantMap record;
        std::vector<std::pair<int, QByteArray>> answers;
        APIError expected;
        qsizetype requests;
    } cases[] = {
        {"second 401",
         tokenRecord("acc.1", "ref.1"),
         {{401, ""}, {200, authAnswer("acc.2", "ref.2")}, {401, "still"}},
         APIError::unauthorized(),
         3},
        {"500 is not renewed",
         tokenRecord("acc.1", "ref.1"),
         {{500, "down"}},
         APIError::http(500, "down"),
         1},
        {"renewal rejected",
         tokenRecord("acc.1", "ref.1"),
         {{401, ""}, {401, "revoked"}},
         APIError::unauthorized(),
         2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        settings.setValue(storeKey, row.record);
        settings.sync();
        transport = std::make_shared<FakeTransport>();
        for (const auto& [status, body] : row.answers)
            transport->enqueue(status, body);
        auto auth = session();
        const APIError error = failureOf<APIError>(auth->run(me));
        EXPECT_TRUE(error == row.expected) << error.what();
        EXPECT_EQ(transport->requests().size(), row.requests);
        const bool renewed = row.answers.size() > 1 && row.answers[1].first == 200;
        EXPECT_EQ(auth->accessToken(), renewed ? "acc.2" : "acc.1");
        EXPECT_EQ(storedRecord(),
                  renewed ? QVariant(tokenRecord("acc.2", "ref.2")) : QVariant(row.record));
    }
}

TEST_F(AuthSessionTest, ConcurrentCallsEachRenewAndSucceed) {
    settings.setValue(storeKey, tokenRecord("acc.1", "ref.1"));
    auto auth = session();
    serve("acc.2");
    transport->setHeld(true);
    auto both = [&]() -> QCoro::Task<QString> {
        auto first = auth->run(me);
        auto second = auth->run(me);
        QTimer::singleShot(0, [&] { transport->release(); });
        const User a = co_await std::move(first);
        const User b = co_await std::move(second);
        co_return a.id + b.id;
    };
    EXPECT_EQ(awaitTask(both()), "usr_01usr_01");
    EXPECT_EQ(sent().filter("/auth/refresh").size(), 2);
    EXPECT_EQ(auth->accessToken(), "acc.2");
}

TEST_F(AuthSessionTest, SetStoresOwnerOnlyAndLogoutRemoves) {
    auto auth = session();
    int changes = 0;
    QObject::connect(auth.get(), &AuthSession::accessTokenChanged, [&] { ++changes; });
    auth->set("acc.1", "ref.1");
    auth->set("acc.1", "ref.9"); // same access token: no announcement
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(storedRecord(), QVariant(tokenRecord("acc.1", "ref.9")));
    EXPECT_EQ(fileMode(settings.fileName()), 0600);

    auth->logout();
    EXPECT_FALSE(auth->isAuthed());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(storedRecord().isValid());
    EXPECT_THROW(awaitTask(auth->refreshTokens()), APIError); // the refresh token went too
    EXPECT_TRUE(transport->requests().isEmpty());
}

// Settings saved before sign-in may have left the file readable by all. It is restricted
// before the tokens go in, not after: QSettings replaces the file when it saves, so the file as
// it was, kept through a second link, shows which came first.
TEST_F(AuthSessionTest, AnExistingSettingsFileIsRestrictedBeforeTheTokensGoIn) {
    settings.setValue("window/width", 800);
    settings.sync();
    ASSERT_TRUE(QFile::setPermissions(settings.fileName(), QFile::ReadOwner | QFile::WriteOwner |
                                                               QFile::ReadGroup |
                                                               QFile::ReadOther));
    const QString earlier = dir.filePath("earlier.ini");
    ASSERT_EQ(::link(QFile::encodeName(settings.fileName()).constData(),
                     QFile::encodeName(earlier).constData()),
              0);
    session()->set("acc.1", "ref.1");
    EXPECT_EQ(fileMode(earlier), 0600);
    EXPECT_EQ(fileMode(settings.fileName()), 0600);
    EXPECT_EQ(storedRecord(), QVariant(tokenRecord("acc.1", "ref.1")));
    EXPECT_EQ(settings.value("window/width").toInt(), 800);
}

// The session may go away while a call is suspended (its window closed): the call fails
// instead of touching it, and nothing is written.
TEST_F(AuthSessionTest, SessionDestroyedWhileSuspended) {
    for (const bool duringRenewal : {false, true}) {
        SCOPED_TRACE(duringRenewal ? "during renewal" : "during the call");
        settings.setValue(storeKey, tokenRecord("acc.1", "ref.1"));
        settings.sync();
        transport = std::make_shared<FakeTransport>();
        auto auth = session();
        const qsizetype waitFor = duringRenewal ? 2 : 1;
        if (!duringRenewal)
            transport->setHeld(true);
        else
            transport->setHandler([inner = transport.get()](const HTTPRequest&) {
                inner->setHeld(true); // holds the renewal that follows this 401
                return HTTPResponse{"", 401};
            });
        auto call = auth->run(me);
        QTimer::singleShot(20, [&] {
            EXPECT_EQ(transport->requests().size(), waitFor);
            transport->setHandler([](const HTTPRequest& request) {
                return request.url.path() == "/auth/refresh"
                           ? HTTPResponse{authAnswer("acc.2", "ref.2"), 200}
                           : HTTPResponse{"", 401};
            });
            auth.reset();
            transport->release();
        });
        EXPECT_TRUE(failureOf<APIError>(std::move(call)) == APIError::unauthorized());
        EXPECT_EQ(transport->requests().size(), waitFor);
        EXPECT_EQ(storedRecord(), QVariant(tokenRecord("acc.1", "ref.1")));
    }
}
