#include "OndrelUI/session/AppGate.h"

#include "OndrelCore/client/NetworkTransport.h"
#include "OndrelUI/offline/OfflineReplica.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/session/KeyringTokenStore.h"
#include "OndrelUI/viewmodels/Outcome.h"

#include <QPointer>

#include <utility>

namespace {

// The keyring item's service; its key is the record's.
const QString keyringService = QStringLiteral("Ondrel");

std::unique_ptr<TokenStore> storeIn(AppGate::Storage storage, QSettings* settings) {
    const QString key = QLatin1String(AuthSession::storeKey);
    if (storage == AppGate::Storage::keyring)
        return std::make_unique<KeyringTokenStore>(keyringService, settings, key);
    return std::make_unique<SettingsTokenStore>(settings, key);
}

} // namespace

AppGate::AppGate(QUrl baseURL, QObject* parent)
    : AppGate(std::move(baseURL), std::make_shared<NetworkTransport>(),
              std::make_unique<QSettings>(), Storage::keyring, YandexLogin::systemBrowser(),
              OfflineReplica::defaultPath(), parent) {}

AppGate::AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                 std::unique_ptr<QSettings> settings, YandexLogin::Browser browser, QObject* parent)
    : AppGate(std::move(baseURL), std::move(transport), std::move(settings), Storage::settingsFile,
              std::move(browser), parent) {}

AppGate::AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                 std::unique_ptr<QSettings> settings, Storage storage, YandexLogin::Browser browser,
                 QObject* parent)
    : AppGate(std::move(baseURL), std::move(transport), std::move(settings), storage,
              std::move(browser), std::nullopt, parent) {}

AppGate::AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                 std::unique_ptr<QSettings> settings, Storage storage, YandexLogin::Browser browser,
                 std::optional<QString> replicaPath, QObject* parent)
    : QObject(parent), m_replicaPath(std::move(replicaPath)), m_settings(std::move(settings)),
      m_store(storeIn(storage, m_settings.get())),
      m_session(
          std::make_unique<AuthSession>(std::move(baseURL), std::move(transport), m_store.get())),
      m_login(new YandexLogin(std::move(browser), this)) {
    connect(m_session.get(), &AuthSession::accessTokenChanged, this, &AppGate::followSession);
    connect(m_store.get(), &TokenStore::fellBackToFile, this, [this] {
        m_keyringRefused = true;
        Q_EMIT keyringRefusedChanged();
    });
    // Runs by itself; it checks the gate after its wait.
    restore();
}

AppGate::~AppGate() = default;

QCoro::Task<void> AppGate::restore() {
    const QPointer<AppGate> self(this);
    auto restoring = m_session->restore();
    co_await std::move(restoring);
    if (!self)
        co_return;
    m_ready = true;
    Q_EMIT readyChanged();
}

QString AppGate::signInAddress() const {
    return m_busy ? YandexLogin::startURL(m_session->baseURL()).toString() : QString();
}

void AppGate::signIn() {
    if (m_busy || !m_ready)
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

void AppGate::signOut() {
    m_login->cancel();
    // The replica and its queue belong to the account that leaves.
    if (m_viewModel)
        m_viewModel->offline()->forget();
    m_session->logout();
    if (!m_errorText.isEmpty()) {
        m_errorText.clear();
        Q_EMIT errorTextChanged();
    }
    Q_EMIT signedOut();
}

void AppGate::dismissKeyringNotice() {
    if (!std::exchange(m_keyringRefused, false))
        return;
    Q_EMIT keyringRefusedChanged();
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
    } else {
        leaving = std::move(m_viewModel);
    }
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
