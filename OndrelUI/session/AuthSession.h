#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QUrl>

#include <memory>
#include <optional>
#include <type_traits>

// Custodian of the token pair: keeps it in the settings under "od.tokens", publishes the access
// token for the gate screen, and runs service calls with the current token, renewing the pair
// once when the service answers 401. Lives on the GUI thread.
class AuthSession : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAuthed READ isAuthed NOTIFY accessTokenChanged)

public:
    static constexpr auto storeKey = "od.tokens";

    // `settings` is not owned; it must outlive the session. Its file is made readable by its
    // owner only (0600) before tokens are written into it. The application passes the default
    // per-user settings, tests one on a temporary file.
    AuthSession(QUrl baseURL, std::shared_ptr<HTTPTransport> transport, QSettings* settings,
                QObject* parent = nullptr);

    const std::optional<QString>& accessToken() const { return m_accessToken; }
    bool isAuthed() const { return m_accessToken.has_value(); }
    const QUrl& baseURL() const { return m_baseURL; }
    const std::shared_ptr<HTTPTransport>& transport() const { return m_transport; }

    // A client carrying the current access token; its calls are not renewed on 401.
    APIClient client() const { return APIClient(m_baseURL, m_transport, m_accessToken); }

    void set(const QString& access, const QString& refresh);
    void logout();
    QCoro::Task<void> refreshTokens();

    // Runs `body(APIClient)` (a callable returning QCoro::Task<T>) and returns its result; on
    // APIError::unauthorized renews once and repeats once with a fresh client.
    template <class Body>
    std::invoke_result_t<Body&, APIClient> run(Body body);

Q_SIGNALS:
    void accessTokenChanged();

private:
    std::optional<QString> m_accessToken;
    std::optional<QString> m_refreshTokenValue;
    QUrl m_baseURL;
    std::shared_ptr<HTTPTransport> m_transport;
    QSettings* m_settings;
};

// The session may be destroyed while `body` or the renewal is suspended; then the call fails
// with APIError::unauthorized instead of touching it. Awaited tasks are kept in named locals:
// g++ 12 mishandles temporaries that live across a co_await.
template <class Body>
std::invoke_result_t<Body&, APIClient> AuthSession::run(Body body) {
    const QPointer<AuthSession> self(this);
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
    auto renewal = self->refreshTokens();
    co_await std::move(renewal);
    if (!self)
        throw APIError::unauthorized();
    auto retry = body(self->client());
    co_return co_await std::move(retry);
}
