#include "OndrelUI/session/AppGate.h"

#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelUI/offline/OfflineReplica.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/Outcome.h"

#include <QPointer>

AppGate::AppGate(QUrl baseURL, QObject* parent)
    : AppGate(std::move(baseURL), std::make_shared<NetworkTransport>(),
              std::make_unique<QSettings>(), YandexLogin::systemBrowser(),
              OfflineReplica::defaultPath(), parent) {}

AppGate::AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                 std::unique_ptr<QSettings> settings, YandexLogin::Browser browser, QObject* parent)
    : AppGate(std::move(baseURL), std::move(transport), std::move(settings), std::move(browser),
              std::nullopt, parent) {}

AppGate::AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                 std::unique_ptr<QSettings> settings, YandexLogin::Browser browser,
                 std::optional<QString> replicaPath, QObject* parent)
    : QObject(parent), m_replicaPath(std::move(replicaPath)), m_settings(std::move(settings)),
      m_session(std::make_unique<AuthSession>(std::move(baseURL), std::move(transport),
                                              m_settings.get())),
      m_login(new YandexLogin(std::move(browser), this)) {
    connect(m_session.get(), &AuthSession::accessTokenChanged, this, &AppGate::followSession);
    followSession();
}

AppGate::~AppGate() = default;

void AppGate::signIn() {
    if (m_busy)
        return;
    // Runs on by itself; it catches every failure and checks the gate after its wait.
    runSignIn();
}

void AppGate::cancelSignIn() {
    m_login->cancel();
}

bool AppGate::acceptCallback(const QString& url) {
    return m_login->acceptCallback(url);
}

QCoro::Task<void> AppGate::runSignIn() {
    const QPointer<AppGate> self(this);
    setBusy(true);
    auto signingIn = outcomeOf(m_login->login(m_session->baseURL()));
    const Outcome<YandexLogin::TokenPair> outcome = co_await signingIn;
    if (!self)
        co_return;
    if (outcome.value) {
        m_session->set(outcome.value->access, outcome.value->refresh);
    } else {
        QString description;
        try {
            std::rethrow_exception(outcome.error);
        } catch (const std::exception& error) {
            description = QString::fromUtf8(error.what());
        } catch (...) {
            // Sign-in fails with standard exceptions only; the prefix alone still says it.
        }
        m_errorText = QStringLiteral("Не удалось войти: ") + description;
        Q_EMIT errorTextChanged();
    }
    setBusy(false);
}

// The view model lives exactly while the session is signed in; a renewal keeps it.
void AppGate::followSession() {
    const bool authed = m_session->isAuthed();
    if (authed == m_authed)
        return;
    m_authed = authed;
    std::unique_ptr<AppViewModel> leaving;
    if (authed) {
        m_viewModel = std::make_unique<AppViewModel>(m_session.get());
        AuthSession* session = m_session.get();
        if (m_replicaPath)
            m_viewModel->offline()->open(
                *m_replicaPath, [session] { return session->client(); },
                [session] { return session->refreshTokens(); });
    } else
        leaving = std::move(m_viewModel);
    Q_EMIT isAuthedChanged();
    Q_EMIT viewModelChanged();
    // The screens may still hold it during this event.
    if (leaving)
        leaving.release()->deleteLater();
}

void AppGate::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}
