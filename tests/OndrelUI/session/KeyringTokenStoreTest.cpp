#include "support/FakeTransport.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "PrivateSecretService.h"

#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString storeKey = QString::fromLatin1(AuthSession::storeKey);

QVariant tokenRecord(const char* access, const char* refresh) {
    return QVariantMap{{"access", access}, {"refresh", refresh}};
}

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
