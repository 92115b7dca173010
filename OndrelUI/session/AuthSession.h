#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelUI/session/TokenStore.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QUrl>

#include <memory>
#include <optional>
#include <type_traits>

// Custodian of the token pair: keeps it in a TokenStore under "od.tokens", publishes the access
// token for the gate screen, and runs service calls with the current token, renewing the pair
// when the service answers 401. Lives on the GUI thread.
class AuthSession : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAuthed READ isAuthed NOTIFY accessTokenChanged)

public:
    static constexpr auto storeKey = "od.tokens";

    // Over the record in `settings` under storeKey, read at once; `settings` is not owned and
    // must outlive the session. Its file is made readable by its owner only (0600) before tokens
    // are written into it. Tests use one on a temporary file.
    AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport, QSettings* settings,
                QObject* parent = nullptr);
    // Over `store` (not owned, must outlive the session): starts signed out until restore().
    AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport, TokenStore* store,
                QObject* parent = nullptr);
    ~AuthSession() override;

    // Loads the stored record; a set() or logout() made meanwhile wins over it.
    QCoro::Task<void> restore();

    const std::optional<QString>& accessToken() const { return m_accessToken; }
    bool isAuthed() const { return m_accessToken.has_value(); }
    const QUrl& baseURL() const { return m_baseURL; }
    const std::shared_ptr<HTTPTransport>& transport() const { return m_transport; }

    // A client carrying the current access token; its calls are not renewed on 401.
    APIClient client() const { return APIClient(m_baseURL, m_transport, m_accessToken); }

    void set(const QString& access, const QString& refresh);
    // Forgets the pair and deletes the record; a renewal still running no longer brings it back.
    void logout();
    QCoro::Task<void> refreshTokens();

    // Runs `body(APIClient)` (a callable returning QCoro::Task<T>) and returns its result; on
    // APIError::unauthorized renews (see renewAfter) and repeats once with a fresh client.
    template <class Body>
    std::invoke_result_t<Body&, APIClient> run(Body body);

Q_SIGNALS:
    void accessTokenChanged();

private:
    struct Renewal;
    class RenewalAwaiter;

    void adopt(const QVariant& stored);
    // After a call made with `usedToken` met 401: one renewal serves every call that meets 401
    // while it runs, since the service spends a refresh token once. A call whose token was
    // already replaced is repeated with the new one, without renewing.
    QCoro::Task<void> renewAfter(std::optional<QString> usedToken);

    std::optional<QString> m_accessToken;
    std::optional<QString> m_refreshTokenValue;
    QUrl m_baseURL;
    std::shared_ptr<HTTPTransport> m_transport;
    std::unique_ptr<TokenStore> m_ownStore; // over the settings given
    TokenStore* m_store;
    std::shared_ptr<Renewal> m_renewal; // the one running
    // Bumped by set() and logout(): a load or renewal that began before either does not apply.
    quint64 m_generation = 0;
};

// The session may be destroyed while `body` or the renewal is suspended; then the call fails
// with APIError::unauthorized instead of touching it. Awaited tasks are kept in named locals:
// g++ 12 mishandles temporaries that live across a co_await.
template <class Body>
std::invoke_result_t<Body&, APIClient> AuthSession::run(Body body) {
    const QPointer<AuthSession> self(this);
    const std::optional<QString> usedToken = m_accessToken;
    try {
        auto attempt = body(client());
        co_return co_await std::move(attempt);
    } catch (const APIError& error) {
        if (error.kind() != APIError::Kind::unauthorized)
            throw;
    }
    // The first 401 is dropped; C++ forbids co_await inside a handler.
    if (!self)
        throw APIError::unauthorized();
    auto renewal = self->renewAfter(usedToken);
    co_await std::move(renewal);
    if (!self)
        throw APIError::unauthorized();
    auto retry = body(self->client());
    co_return co_await std::move(retry);
}
