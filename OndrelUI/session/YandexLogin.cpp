#include "OndrelUI/session/YandexLogin.h"

#include "OndrelUI/config/Graphemes.h"
#include "OndrelUI/session/BrowserFlowError.h"

#include <QDesktopServices>
#include <QLoggingCategory>
#include <QTimer>

#include <coroutine>

Q_LOGGING_CATEGORY(signInLog, "ondrel.signin")

namespace {

// Characters of the service's reason shown in the error line; the callback is outside input.
constexpr qsizetype reasonLimit = 200;

struct QueryItem {
    QString name;
    std::optional<QString> value; // absent: the item has no "="
};

// Items in order, as written: "a" has no value, "a=" an empty one. QUrlQuery cannot tell the
// two apart, and "+" stays a plus sign.
QList<QueryItem> queryItems(const QUrl& url) {
    QList<QueryItem> items;
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    if (query.isEmpty())
        return items;
    for (const QByteArray& piece : query.split('&')) {
        const qsizetype equals = piece.indexOf('=');
        if (equals < 0) {
            items.append({QUrl::fromPercentEncoding(piece), std::nullopt});
            continue;
        }
        items.append({QUrl::fromPercentEncoding(piece.first(equals)),
                      QUrl::fromPercentEncoding(piece.sliced(equals + 1))});
    }
    return items;
}

std::optional<QString> firstValue(const QList<QueryItem>& items, QStringView name) {
    for (const QueryItem& item : items)
        if (item.name == name)
            return item.value;
    return std::nullopt;
}

} // namespace

struct YandexLogin::Flow {
    std::coroutine_handle<> waiter;
    std::optional<End> end;
};

class YandexLogin::FlowAwaiter {
public:
    explicit FlowAwaiter(std::shared_ptr<Flow> flow) : m_flow(std::move(flow)) {}
    bool await_ready() const noexcept { return m_flow->end.has_value(); }
    void await_suspend(std::coroutine_handle<> waiter) noexcept { m_flow->waiter = waiter; }
    End await_resume() { return std::move(*m_flow->end); }

private:
    std::shared_ptr<Flow> m_flow;
};

YandexLogin::LoginError::LoginError(Kind kind, QString reason)
    : m_kind(kind), m_reason(std::move(reason)), m_what(description().toUtf8()) {}

QString YandexLogin::LoginError::description() const {
    switch (m_kind) {
    case Kind::server: {
        QString text = QStringLiteral("сервис отказал во входе");
        if (!m_reason.isEmpty())
            text += QStringLiteral(": ") + Graphemes::elide(m_reason, reasonLimit);
        return text;
    }
    case Kind::invalidCallback:
        return QStringLiteral("браузер вернул ссылку, которую не удалось разобрать");
    case Kind::missingTokens:
        return QStringLiteral("сервис не передал ключи доступа");
    }
    return {};
}

YandexLogin::Browser YandexLogin::systemBrowser() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QUrl YandexLogin::startURL(const QUrl& baseURL) {
    return QUrl(baseURL.toString() + QStringLiteral("/auth/yandex/start"));
}

YandexLogin::TokenPair YandexLogin::parseCallback(const std::optional<QString>& callback) {
    if (!callback)
        throw LoginError::invalidCallback();
    const QUrl url(*callback, QUrl::StrictMode);
    if (!url.isValid() || !url.hasQuery())
        throw LoginError::invalidCallback();
    const QList<QueryItem> items = queryItems(url);
    if (items.isEmpty())
        throw LoginError::missingTokens();
    // Only the first item of a name counts; an error without a value is no error.
    if (const auto error = firstValue(items, u"error"))
        throw LoginError::server(*error);
    const auto access = firstValue(items, u"access");
    const auto refresh = firstValue(items, u"refresh");
    if (!access || !refresh)
        throw LoginError::missingTokens();
    return TokenPair{*access, *refresh};
}

YandexLogin::YandexLogin(Browser browser, QObject* parent)
    : QObject(parent), m_browser(std::move(browser)) {}

YandexLogin::~YandexLogin() {
    cancel();
    // No event loop turn is left to resume them on.
    for (const auto& flow : std::exchange(m_resuming, {}))
        resume(flow);
}

QCoro::Task<YandexLogin::TokenPair> YandexLogin::login(QUrl baseURL) {
    cancel();
    const auto flow = std::make_shared<Flow>();
    m_pending = flow;
    Q_EMIT pendingChanged();
    // The browser step may itself have ended this flow (cancelled it, or started a newer one)
    // before it reports failure; then that ending stands.
    if (!m_browser(startURL(baseURL)) && m_pending == flow)
        finish(
            std::make_exception_ptr(BrowserFlowError(BrowserFlowError::Kind::browserUnavailable)));

    FlowAwaiter ending(flow);
    const End end = co_await ending;
    // Only the flow is read from here on: this object may be gone.
    if (const auto* error = std::get_if<std::exception_ptr>(&end))
        std::rethrow_exception(*error);
    co_return parseCallback(std::get<QString>(end));
}

bool YandexLogin::acceptCallback(const QString& url) {
    if (!url.startsWith(QString::fromLatin1(callbackScheme) + u':', Qt::CaseInsensitive)) {
        qCWarning(signInLog) << "dropped a URL that is not an" << callbackScheme << "callback";
        return false;
    }
    if (!m_pending) {
        qCWarning(signInLog) << "dropped a sign-in callback: no sign-in is pending";
        return false;
    }
    finish(url);
    return true;
}

void YandexLogin::cancel() {
    if (m_pending)
        finish(std::make_exception_ptr(BrowserFlowError(BrowserFlowError::Kind::cancelled)));
}

// The waiter resumes on a later event-loop turn, never inside the caller that ended the flow (a
// socket handler or a button's click).
void YandexLogin::finish(End end) {
    const std::shared_ptr<Flow> flow = std::exchange(m_pending, nullptr);
    flow->end = std::move(end);
    m_resuming.append(flow);
    QTimer::singleShot(0, this, [this, flow] {
        m_resuming.removeOne(flow);
        resume(flow);
    });
    Q_EMIT pendingChanged();
}

void YandexLogin::resume(const std::shared_ptr<Flow>& flow) {
    if (const auto waiter = std::exchange(flow->waiter, nullptr))
        waiter.resume();
}
