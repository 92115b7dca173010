#include "ManualTransport.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/session/BrowserFlowError.h"
#include "OndrelUI/session/YandexLogin.h"
#include "PrivateSecretService.h"
#include "support/AwaitTask.h"
#include "support/FakeTransport.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

namespace {

using TokenPair = YandexLogin::TokenPair;
using LoginError = YandexLogin::LoginError;

QString describe(const LoginError& error) {
    return QStringLiteral("error %1 %2").arg(int(error.kind())).arg(error.reason());
}

// The pair as "access refresh", or the error.
QString outcome(const std::optional<QString>& callback) {
    try {
        const TokenPair pair = YandexLogin::parseCallback(callback);
        return pair.access + u' ' + pair.refresh;
    } catch (const LoginError& error) {
        return describe(error);
    }
}

class AppGateTest : public ::testing::Test {
protected:
    std::unique_ptr<AppGate> gate(bool browserOpens = true) {
        return std::make_unique<AppGate>(
            QUrl(QStringLiteral("http://svc")), std::make_shared<FakeTransport>(),
            std::make_unique<QSettings>(file, QSettings::IniFormat), [this, browserOpens](auto) {
                ++browserOpenings;
                return browserOpens;
            });
    }
    QVariant storedRecord() const {
        return QSettings(file, QSettings::IniFormat).value(AuthSession::storeKey);
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("ondrel.ini"));
    int browserOpenings = 0;
};

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

// Gates as the application makes them, keeping the sign-in in the keyring of a private bus, one
// after another over one settings file: each stands for a later run of the program.
class KeyringGateTest : public testing::Test {
protected:
    void SetUp() override {
        // The keyring client keeps its first bus for the whole process.
        static bool busTaken = false;
        if (std::exchange(busTaken, true))
            GTEST_SKIP() << "needs a process of its own, as ctest runs it";
        ASSERT_TRUE(bus.running());
    }

    std::unique_ptr<AppGate> openGate() {
        auto gate = std::make_unique<AppGate>(
            QUrl(QStringLiteral("http://svc")), std::make_shared<FakeTransport>(),
            std::make_unique<QSettings>(file, QSettings::IniFormat), AppGate::Storage::keyring,
            [](const QUrl&) { return true; });
        EXPECT_TRUE(waitUntil([&] { return gate->ready(); }, std::chrono::seconds{30}));
        return gate;
    }
    static void signIn(AppGate& gate, const QString& access) {
        gate.signIn();
        gate.acceptCallback(QStringLiteral("ondrel://auth?access=%1&refresh=r").arg(access));
        EXPECT_TRUE(waitUntil([&] { return gate.isAuthed(); }));
    }
    QVariant inFile() const { return QSettings(file, QSettings::IniFormat).value(storeKey); }

    PrivateSecretService bus;
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("ondrel.ini"));
};

} // namespace

TEST(YandexLoginCallback, IsReadByItsQueryItemsAlone) {
    const QString missing = describe(LoginError::missingTokens());
    const QString invalid = describe(LoginError::invalidCallback());
    const struct {
        std::optional<QString> callback;
        QString expected;
    } cases[] = {
        {"ondrel:/any/path?refresh=R&access=A#part", "A R"},
        {"ondrel://auth?access=A&access=B&refresh=R&refresh=S", "A R"},
        {"ondrel://auth?access=&refresh=R", " R"},
        {"ondrel://auth?access=a%2Bb+c%26&refresh=%D0%BA%D0%BB", "a+b+c& кл"},
        // an error with a value wins over tokens; one without a value is no error
        {"ondrel://auth?access=A&refresh=R&error=denied", describe(LoginError::server("denied"))},
        {"ondrel://auth?error=&access=A&refresh=R", describe(LoginError::server(""))},
        {"ondrel://auth?error&access=A&refresh=R", "A R"},
        {std::nullopt, invalid},
        {"ondrel://auth", invalid},
        {"ondrel://auth#access=A&refresh=R", invalid},
        {"ondrel://auth?access=A", missing},
        {"ondrel://auth?access&refresh=R", missing},
        {"ondrel://auth?Access=A&refresh=R", missing},
    };
    for (const auto& row : cases)
        EXPECT_EQ(outcome(row.callback), row.expected)
            << row.callback.value_or("(none)").toStdString();
}

// One pending sign-in takes the first "ondrel:" URL handed to it, once; everything else is
// dropped. A newer sign-in cancels the one pending.
TEST(YandexLoginFlow, TakesOneCallbackOnlyWhilePending) {
    QList<QUrl> opened;
    YandexLogin login([&](const QUrl& url) { return opened.append(url), true; });
    const QString callback = QStringLiteral("ondrel://auth?access=A&refresh=R");

    EXPECT_FALSE(login.acceptCallback(callback));
    auto signingIn = login.login(QUrl(QStringLiteral("https://svc.example:8443")));
    EXPECT_TRUE(login.isPending());
    EXPECT_EQ(opened, QList<QUrl>{QUrl("https://svc.example:8443/auth/yandex/start")});
    EXPECT_FALSE(login.acceptCallback(QStringLiteral("https://evil.example/?access=A")));
    EXPECT_TRUE(login.acceptCallback(callback));
    EXPECT_FALSE(login.isPending());
    EXPECT_FALSE(login.acceptCallback(callback)); // a replay

    EXPECT_EQ(awaitTask(std::move(signingIn)), (TokenPair{"A", "R"}));

    const QUrl base(QStringLiteral("http://127.0.0.1:1"));
    auto replaced = login.login(base);
    auto newer = login.login(base);
    EXPECT_EQ(failureOf<BrowserFlowError>(std::move(replaced)).kind(),
              BrowserFlowError::Kind::cancelled);
    EXPECT_TRUE(login.acceptCallback(QStringLiteral("ondrel://auth?access=A")));
    EXPECT_EQ(failureOf<LoginError>(std::move(newer)).kind(), LoginError::Kind::missingTokens);
}

// The browser step may end the flow itself (a cancel) and then report that it failed: the
// cancellation stands, and nothing is left pending.
TEST(YandexLoginFlow, ABrowserStepThatCancelsAndThenFails) {
    YandexLogin* login = nullptr;
    YandexLogin flow([&](const QUrl&) {
        login->cancel();
        return false;
    });
    login = &flow;
    EXPECT_EQ(failureOf<BrowserFlowError>(flow.login(QUrl(QStringLiteral("http://svc")))).kind(),
              BrowserFlowError::Kind::cancelled);
    EXPECT_FALSE(flow.isPending());
}

// A sign-in from the button to the main screen's view model, which lives as long as the session
// stays signed in. Closing the window with a sign-in pending ends it quietly.
TEST_F(AppGateTest, SignsInThroughTheBrowserAndHoldsOneViewModel) {
    auto signIn = gate();
    int authedChanges = 0;
    QObject::connect(signIn.get(), &AppGate::isAuthedChanged, [&] { ++authedChanges; });
    EXPECT_EQ(signIn->viewModel(), nullptr);
    signIn->signIn();
    signIn->signIn(); // the button is disabled while busy; a second press does nothing
    EXPECT_TRUE(signIn->busy());
    EXPECT_EQ(browserOpenings, 1);
    ASSERT_TRUE(signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a1&refresh=r1")));
    ASSERT_TRUE(waitUntil([&] { return !signIn->busy(); }));
    EXPECT_TRUE(signIn->isAuthed());
    EXPECT_EQ(authedChanges, 1);
    EXPECT_EQ(storedRecord(), QVariant(QVariantMap{{"access", "a1"}, {"refresh", "r1"}}));
    const QPointer<AppViewModel> viewModel = signIn->viewModel();
    ASSERT_NE(viewModel, nullptr);

    signIn->session()->set(QStringLiteral("a2"), QStringLiteral("r2")); // a renewal
    EXPECT_EQ(signIn->viewModel(), viewModel);
    signIn->session()->logout();
    EXPECT_FALSE(signIn->isAuthed());
    EXPECT_EQ(signIn->viewModel(), nullptr);
    EXPECT_FALSE(viewModel.isNull()); // the screens may still hold it during this event
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewModel.isNull());
    signIn->signIn();
    signIn.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(storedRecord().isValid());
}

// Each failure replaces the line; a new attempt or a success leaves it standing.
TEST_F(AppGateTest, EveryFailureEndsAsTheErrorLine) {
    auto signIn = gate();
    const QString tooLong =
        QString::fromLatin1("ondrel://auth?error=" + QUrl::toPercentEncoding(QString(1000, u'я')));
    const struct {
        QString callback; // none: the user cancels
        QString line;
    } cases[] = {
        {{}, "вход отменён"},
        {"ondrel://auth?error=%D0%BE%D1%82%D0%BA%D0%B0%D0%B7", "сервис отказал во входе: отказ"},
        {"ondrel://auth?error=", "сервис отказал во входе"},
        {"ondrel://auth", "браузер вернул ссылку, которую не удалось разобрать"},
        {"ondrel://auth?refresh=r", "сервис не передал ключи доступа"},
        {tooLong, {}},
    };
    for (const auto& row : cases) {
        signIn->signIn();
        if (row.callback.isEmpty())
            signIn->cancelSignIn();
        else
            signIn->acceptCallback(row.callback);
        EXPECT_TRUE(waitUntil([&] { return !signIn->busy(); }));
        if (!row.line.isEmpty()) {
            EXPECT_EQ(signIn->errorText(), "Не удалось войти: " + row.line);
        }
    }
    const QString shown = signIn->errorText();
    EXPECT_LT(shown.size(), 250) << "a hostile reason is cut";
    signIn->signIn();
    EXPECT_EQ(signIn->errorText(), shown);
    signIn->acceptCallback(QStringLiteral("ondrel://auth?access=a&refresh=r"));
    EXPECT_TRUE(waitUntil([&] { return signIn->isAuthed(); }));
    EXPECT_EQ(signIn->errorText(), shown);

    auto noBrowser = gate(false);
    noBrowser->session()->logout();
    noBrowser->signIn();
    EXPECT_TRUE(waitUntil([&] { return !noBrowser->busy(); }));
    EXPECT_EQ(noBrowser->errorText(),
              QStringLiteral("Не удалось войти: не удалось открыть браузер"));
}

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

// A record an earlier version left in the file moves into the keyring and leaves the file; the
// keyring then keeps every new pair, and signing out removes it there too.
TEST_F(KeyringGateTest, TheKeyringKeepsTheSignInAndTakesTheFilesRecordOnce) {
    ASSERT_TRUE(bus.startKeyring());
    {
        QSettings earlier(file, QSettings::IniFormat);
        earlier.setValue(storeKey, tokenRecord("a.file", "r.file"));
        earlier.setValue(QStringLiteral("window/width"), 800);
    }
    auto gate = openGate();
    EXPECT_EQ(gate->session()->accessToken(), "a.file");
    EXPECT_TRUE(waitUntil([&] { return !inFile().isValid(); }));
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("window/width").toInt(), 800);
    gate->session()->set(QStringLiteral("a.renewed"), QStringLiteral("r.renewed"));
    gate.reset();

    gate = openGate();
    EXPECT_EQ(gate->session()->accessToken(), "a.renewed");
    EXPECT_FALSE(inFile().isValid());
    EXPECT_FALSE(gate->keyringRefused());
    gate->signOut();
    gate.reset();

    gate = openGate();
    EXPECT_FALSE(gate->isAuthed());
    signIn(*gate, QStringLiteral("a.new"));
    gate.reset();
    EXPECT_EQ(openGate()->session()->accessToken(), "a.new");
    EXPECT_FALSE(inFile().isValid());
}

// With no Secret Service on the bus the 0600 file keeps the pair, as before, and the gate says
// so once per run.
TEST_F(KeyringGateTest, WithoutAKeyringTheFileKeepsTheSignInAndTheGateSaysSo) {
    auto gate = openGate();
    QSignalSpy refusals(gate.get(), &AppGate::keyringRefusedChanged);
    EXPECT_TRUE(gate->keyringRefused());
    gate->dismissKeyringNotice();
    signIn(*gate, QStringLiteral("a.1"));
    gate->session()->set(QStringLiteral("a.2"), QStringLiteral("r.2"));
    EXPECT_FALSE(gate->keyringRefused());
    EXPECT_EQ(refusals.size(), 1);
    EXPECT_EQ(inFile(), tokenRecord("a.2", "r.2"));
    EXPECT_EQ(fileMode(file), 0600);
    gate.reset();

    gate = openGate();
    EXPECT_EQ(gate->session()->accessToken(), "a.2");
    EXPECT_TRUE(gate->keyringRefused());
    gate->signOut();
    EXPECT_FALSE(inFile().isValid());
}
