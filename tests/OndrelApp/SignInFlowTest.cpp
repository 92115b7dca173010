#include "support/AwaitTask.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include "OndrelSandbox.h"

#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// The local service as its own process, signing the demo user in without a page to click.
class AutoApprovingService {
public:
    AutoApprovingService() {
        m_process.start(
            QStringLiteral(ONDREL_SERVICE_BINARY),
            {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--auto-approve")});
        static const QRegularExpression line(
            QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+)\\n$"));
        if (m_process.waitForStarted(10'000) && m_process.waitForReadyRead(10'000))
            m_baseURL = QUrl(line.match(QString::fromUtf8(m_process.readLine())).captured(1));
    }
    ~AutoApprovingService() {
        m_process.terminate();
        m_process.waitForFinished(10'000);
    }
    const QUrl& baseURL() const { return m_baseURL; }

private:
    QProcess m_process;
    QUrl m_baseURL;
};

// The browser of this test: fetches the start page, takes its redirect to the "ondrel:" URL
// and opens that as the desktop would, with a second `ondrel` process.
class HeadlessBrowser {
public:
    explicit HeadlessBrowser(const OndrelSandbox& sandbox) : m_sandbox(sandbox) {}

    YandexLogin::Browser seam() {
        return [this](const QUrl& url) {
            QNetworkRequest request(url);
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                 QNetworkRequest::ManualRedirectPolicy);
            QNetworkReply* reply = m_network.get(request);
            QObject::connect(reply, &QNetworkReply::finished, [this, reply] {
                reply->deleteLater();
                const QByteArray location = reply->rawHeader("Location");
                if (location.startsWith("ondrel:"))
                    m_handler = m_sandbox.start({QString::fromUtf8(location)});
            });
            return true;
        };
    }
    QProcess* handler() const { return m_handler.get(); }

private:
    const OndrelSandbox& m_sandbox;
    QNetworkAccessManager m_network;
    std::unique_ptr<QProcess> m_handler;
};

} // namespace

// From the button to a stored pair the service accepts, with every process of the real path:
// the service, the browser's redirect and a second `ondrel` that hands the link over.
TEST(SignInFlow, EndsWithTheTokenPairStored) {
    AutoApprovingService service;
    ASSERT_TRUE(service.baseURL().isValid());
    OndrelSandbox sandbox;
    SingleInstance instance(sandbox.serverName());
    ASSERT_EQ(instance.start(QString()), SingleInstance::Role::primary);
    HeadlessBrowser browser(sandbox);
    const QString settingsFile = sandbox.filePath(QStringLiteral("ondrel.ini"));
    AppGate gate(service.baseURL(), std::make_shared<NetworkTransport>(),
                 std::make_unique<QSettings>(settingsFile, QSettings::IniFormat), browser.seam());
    QObject::connect(&instance, &SingleInstance::messageReceived, &gate, &AppGate::acceptCallback);

    gate.signIn();
    ASSERT_TRUE(waitUntil([&] { return !gate.busy(); }, 60s));
    EXPECT_EQ(gate.errorText(), QString());
    ASSERT_TRUE(gate.isAuthed());
    ASSERT_NE(browser.handler(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return browser.handler()->state() == QProcess::NotRunning; }));
    EXPECT_EQ(browser.handler()->exitCode(), 0);

    const QVariantMap stored = QSettings(settingsFile, QSettings::IniFormat)
                                   .value(QString::fromLatin1(AuthSession::storeKey))
                                   .toMap();
    EXPECT_EQ(stored.value(QStringLiteral("access")), *gate.session()->accessToken());
    EXPECT_FALSE(stored.value(QStringLiteral("refresh")).toString().isEmpty());
    const User user = awaitTask(gate.session()->run([](APIClient client) { return client.me(); }));
    EXPECT_FALSE(user.id.isEmpty());
}
