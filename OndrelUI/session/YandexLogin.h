#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// Sign-in through the user's own browser: opens the service's start page, then waits until the
// desktop hands back the "ondrel:" URL the service finally redirects to (acceptCallback) and reads
// the token pair from its query. A callback is taken only while a sign-in is pending, and only
// once: a stray or replayed link never signs anybody in. Lives on the GUI thread.
class YandexLogin : public QObject {
    Q_OBJECT

public:
    // Opens a URL in the user's browser; false when that could not be done.
    using Browser = std::function<bool(const QUrl&)>;

    struct TokenPair {
        QString access;
        QString refresh;
        friend bool operator==(const TokenPair&, const TokenPair&) = default;
    };

    // What a callback can be wrong with; the browser's own failures are BrowserFlowError.
    class LoginError : public std::exception {
    public:
        enum class Kind { server, invalidCallback, missingTokens };

        static LoginError server(QString reason) { return LoginError(Kind::server, reason); }
        static LoginError invalidCallback() { return LoginError(Kind::invalidCallback, {}); }
        static LoginError missingTokens() { return LoginError(Kind::missingTokens, {}); }

        Kind kind() const { return m_kind; }
        const QString& reason() const { return m_reason; } // server only
        // The Russian text shown after the gate's "could not sign in" prefix.
        QString description() const;
        const char* what() const noexcept override { return m_what.constData(); }

    private:
        LoginError(Kind kind, QString reason);

        Kind m_kind;
        QString m_reason;
        QByteArray m_what;
    };

    static constexpr auto callbackScheme = "ondrel";

    // QDesktopServices::openUrl.
    static Browser systemBrowser();
    // The base URL, one slash, "auth/yandex/start"; no query.
    static QUrl startURL(const QUrl& baseURL);
    // The pair a callback carries, or the LoginError it is. Absent: the flow ended without one.
    static TokenPair parseCallback(const std::optional<QString>& callback);

    explicit YandexLogin(Browser browser = systemBrowser(), QObject* parent = nullptr);
    // A pending sign-in ends as cancelled.
    ~YandexLogin() override;

    // Opens the start page and completes once a callback is taken: with its pair, or failing with
    // LoginError; a browser that cannot be opened or a cancellation fails with BrowserFlowError.
    // A sign-in still pending is cancelled first.
    QCoro::Task<TokenPair> login(QUrl baseURL);

    bool isPending() const { return m_pending != nullptr; }
    // Gives a URL from the desktop to the pending sign-in; true when it was taken. Anything else
    // is dropped, and logged without its content (it may hold tokens).
    bool acceptCallback(const QString& url);
    // Ends a pending sign-in with BrowserFlowError::cancelled.
    void cancel();

Q_SIGNALS:
    void pendingChanged();

private:
    using End = std::variant<QString, std::exception_ptr>;
    struct Flow;
    class FlowAwaiter;

    void finish(End end);
    static void resume(const std::shared_ptr<Flow>& flow);

    Browser m_browser;
    std::shared_ptr<Flow> m_pending;
    QList<std::shared_ptr<Flow>> m_resuming; // ended, their waiter not yet resumed
};
