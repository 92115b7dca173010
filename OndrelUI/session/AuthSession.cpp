#include "OndrelUI/session/AuthSession.h"

#include "OndrelUI/session/SettingsTokenStore.h"

#include <QVariantMap>

#include <coroutine>
#include <utility>
#include <vector>

namespace {

const QString accessKey = QStringLiteral("access");
const QString refreshKey = QStringLiteral("refresh");

std::optional<QString> textEntry(const QVariantMap& record, const QString& key) {
    const QVariant value = record.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace

struct AuthSession::Renewal {
    bool done = false;
    std::exception_ptr error;
    std::vector<std::coroutine_handle<>> waiters;
};

class AuthSession::RenewalAwaiter {
public:
    explicit RenewalAwaiter(std::shared_ptr<Renewal> renewal) : m_renewal(std::move(renewal)) {}
    bool await_ready() const noexcept { return m_renewal->done; }
    void await_suspend(std::coroutine_handle<> waiter) { m_renewal->waiters.push_back(waiter); }
    void await_resume() const {
        if (m_renewal->error)
            std::rethrow_exception(m_renewal->error);
    }

private:
    std::shared_ptr<Renewal> m_renewal;
};

AuthSession::AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                         QSettings* settings, QObject* parent)
    : AuthSession(std::move(baseURL), std::move(transport), static_cast<TokenStore*>(nullptr),
                  parent) {
    auto store = std::make_unique<SettingsTokenStore>(settings, QLatin1String(storeKey));
    adopt(store->read());
    m_store = store.get();
    m_ownStore = std::move(store);
}

AuthSession::AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport, TokenStore* store,
                         QObject* parent)
    : QObject(parent), m_baseURL(std::move(baseURL)), m_transport(std::move(transport)),
      m_store(store) {}

AuthSession::~AuthSession() = default;

QCoro::Task<void> AuthSession::restore() {
    const QPointer<AuthSession> self(this);
    const quint64 generation = m_generation;
    auto loading = m_store->load();
    const QVariant stored = co_await std::move(loading);
    if (self && self->m_generation == generation)
        self->adopt(stored);
}

void AuthSession::adopt(const QVariant& stored) {
    if (stored.typeId() != QMetaType::QVariantMap && stored.typeId() != QMetaType::QVariantHash)
        return; // no record, or something that is not one: signed out
    const QVariantMap record = stored.toMap();
    m_accessToken = textEntry(record, accessKey);
    m_refreshTokenValue = textEntry(record, refreshKey);
    if (m_accessToken)
        Q_EMIT accessTokenChanged();
}

void AuthSession::set(const QString& access, const QString& refresh) {
    ++m_generation;
    const bool changed = m_accessToken != access;
    m_accessToken = access;
    m_refreshTokenValue = refresh;
    m_store->save(QVariantMap{{accessKey, access}, {refreshKey, refresh}});
    if (changed)
        Q_EMIT accessTokenChanged();
}

void AuthSession::logout() {
    ++m_generation;
    const bool changed = m_accessToken.has_value();
    m_accessToken.reset();
    m_refreshTokenValue.reset();
    m_store->remove();
    if (changed)
        Q_EMIT accessTokenChanged();
}

QCoro::Task<void> AuthSession::refreshTokens() {
    if (!m_refreshTokenValue)
        throw APIError::unauthorized();
    const QPointer<AuthSession> self(this);
    const quint64 generation = m_generation;
    const APIClient client(m_baseURL, m_transport, std::nullopt);
    auto renewal = client.refresh(*m_refreshTokenValue);
    const AuthResponse renewed = co_await std::move(renewal);
    if (!self)
        throw APIError::unauthorized(); // the session is gone: there is nobody to hand the pair to
    // Signed out (or in anew) meanwhile: the pair belongs to a session that has ended.
    if (self->m_generation != generation)
        co_return;
    set(renewed.accessToken, renewed.refreshToken);
}

QCoro::Task<void> AuthSession::renewAfter(std::optional<QString> usedToken) {
    if (m_renewal) {
        RenewalAwaiter joining(m_renewal);
        co_await joining;
        co_return;
    }
    if (m_accessToken != usedToken)
        co_return; // a renewal that ended meanwhile replaced the token this call used
    const auto renewal = std::make_shared<Renewal>();
    m_renewal = renewal;
    const QPointer<AuthSession> self(this);
    try {
        auto renewing = refreshTokens();
        co_await std::move(renewing);
    } catch (...) {
        renewal->error = std::current_exception();
    }
    if (self && self->m_renewal == renewal)
        self->m_renewal.reset();
    renewal->done = true;
    // Each waiter runs on to its repeated call's first suspension.
    for (const auto waiter : std::exchange(renewal->waiters, {}))
        waiter.resume();
    if (renewal->error)
        std::rethrow_exception(renewal->error);
}
