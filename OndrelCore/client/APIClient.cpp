#include "OndrelCore/client/APIClient.h"

#include "OndrelCore/client/IdempotencyKey.h"

#include "OndrelCore/bodies/AssistantBody.h"
#include "OndrelCore/bodies/CaptureBody.h"
#include "OndrelCore/bodies/RefreshBody.h"
#include "OndrelCore/bodies/ReprocessBody.h"
#include "OndrelCore/bodies/YandexLoginBody.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/client/ServiceAddress.h"
#include "OndrelCore/json/ODJSON.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <exception>

namespace {

constexpr std::chrono::seconds requestTimeout{60};

// Each piece, an id included, becomes exactly one path segment: whatever it holds ("/", "?",
// "#", "%", spaces), it cannot reach another path or add a query. "", "." and ".." cannot be
// one segment at all. Letters, digits, "-", "_", "." and "~" go out unchanged.
QString pathText(const QStringList& segments) {
    QString path;
    for (const QString& segment : segments) {
        if (segment.isEmpty() || segment == u"." || segment == u"..")
            throw RequestRefusal(RequestRefusal::Reason::unusableId);
        path += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(segment));
    }
    return path;
}

// Every name and value is percent-encoded, so "+", "&", "=", ";", "#" and spaces arrive intact
// (servers read a bare "+" as a space); ":", "@", "/" and "?" mean nothing inside a query value
// and stay readable (the sync cursor is a time of day). Every item is written "name=value",
// an empty value included (QUrlQuery writes a null one as a bare name).
QByteArray queryComponent(const QString& text) {
    return QUrl::toPercentEncoding(text, ":@/?");
}

QString queryText(const QList<std::pair<QString, QString>>& items) {
    QByteArray text;
    for (const auto& [name, value] : items) {
        if (!text.isEmpty())
            text += '&';
        text += queryComponent(name) + '=' + queryComponent(value);
    }
    return QString::fromLatin1(text);
}

// A token is pasted into a header line; one holding a line break or NUL could add headers.
QByteArray bearer(const QString& token) {
    const QByteArray value = "Bearer " + token.toUtf8();
    if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
        throw RequestRefusal(RequestRefusal::Reason::unsafeToken);
    return value;
}

QUrl requestURL(const QUrl& baseURL, const QStringList& segments,
                const QList<std::pair<QString, QString>>& query) {
    QUrl url(baseURL.toString(QUrl::FullyEncoded) + pathText(segments), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        throw RequestRefusal(RequestRefusal::Reason::unusableURL);
    if (!ServiceAddress::isSecure(url))
        throw RequestRefusal(RequestRefusal::Reason::insecureAddress);
    if (!query.isEmpty())
        url.setQuery(queryText(query), QUrl::StrictMode);
    if (!url.isValid())
        throw RequestRefusal(RequestRefusal::Reason::unusableURL);
    return url;
}

// What the worker thread hands back: the value, or the decoder's error to rethrow on the
// caller's thread (QtConcurrent would wrap a non-QException error).
template <class Result>
struct Decoded {
    std::optional<Result> value;
    std::exception_ptr error;
};

template <class Result>
Decoded<Result> decodeBody(const QByteArray& body) {
    try {
        return {ODJSON::decoder().decode<Result>(body), nullptr};
    } catch (...) {
        return {std::nullopt, std::current_exception()};
    }
}

} // namespace

APIClient::APIClient(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                     std::optional<QString> accessToken)
    : m_baseURL(std::move(baseURL)), m_transport(std::move(transport)),
      m_accessToken(std::move(accessToken)) {}

APIClient APIClient::withIdempotencyKey(const QString& key) const {
    const QByteArray bytes = key.toUtf8();
    if (!IdempotencyKey::isUsable(bytes))
        throw RequestRefusal(RequestRefusal::Reason::unusableKey);
    APIClient keyed = *this;
    keyed.m_idempotencyKey = bytes;
    return keyed;
}

// Operations are plain functions handing their arguments to request() by value. (Keeping
// temporaries out of co_await expressions also avoids g++ 12 destroying them twice.)
template <class Result, class Body>
QCoro::Task<Result> APIClient::request(APIClient client, QByteArray method, QStringList path,
                                       QueryItems query, std::optional<Body> body, bool auth) {
    HTTPRequest request;
    request.url = requestURL(client.m_baseURL, path, query);
    request.method = std::move(method);
    request.timeout = requestTimeout;
    request.cachePolicy = QNetworkRequest::AlwaysNetwork;
    if constexpr (!std::is_same_v<Body, NoBody>) {
        if (body) {
            request.headers.emplaceBack("Content-Type", "application/json");
            request.body = ODJSON::encoder().encode(*body);
        }
    }
    if (auth && client.m_accessToken)
        request.headers.emplaceBack("Authorization", bearer(*client.m_accessToken));
    if (client.m_idempotencyKey)
        request.headers.emplaceBack("Idempotency-Key", *client.m_idempotencyKey);

    auto sending = client.m_transport->send(std::move(request));
    HTTPResponse response = co_await std::move(sending);
    if (response.statusCode == 401)
        throw APIError::unauthorized();
    if (response.statusCode < 200 || response.statusCode > 299)
        throw APIError::http(response.statusCode, QString::fromUtf8(response.body));

    QFuture<Decoded<Result>> decoding =
        QtConcurrent::run([bytes = std::move(response.body)] { return decodeBody<Result>(bytes); });
    Decoded<Result> decoded = co_await decoding;
    if (decoded.error)
        std::rethrow_exception(decoded.error);
    co_return std::move(*decoded.value);
}

QCoro::Task<AuthResponse> APIClient::loginYandex(QString accessToken) const {
    return request<AuthResponse>(*this, "POST", {"auth", "yandex"}, {},
                                 std::optional(YandexLoginBody{std::move(accessToken)}), false);
}

QCoro::Task<AuthResponse> APIClient::refresh(QString refreshToken) const {
    return request<AuthResponse>(*this, "POST", {"auth", "refresh"}, {},
                                 std::optional(RefreshBody{std::move(refreshToken)}), false);
}

QCoro::Task<User> APIClient::me() const {
    return request<User>(*this, "GET", {"auth", "me"}, {}, std::optional<NoBody>(), true);
}

QCoro::Task<QList<Folder>> APIClient::listFolders() const {
    return request<QList<Folder>>(*this, "GET", {"folders"}, {}, std::optional<NoBody>(), true);
}

QCoro::Task<Folder> APIClient::createFolder(FolderCreateBody body) const {
    return request<Folder>(*this, "POST", {"folders"}, {}, std::optional(std::move(body)), true);
}

QCoro::Task<Folder> APIClient::deleteFolder(QString id, QString tasksAction,
                                            std::optional<QString> moveTo) const {
    QueryItems query;
    query.emplaceBack(QStringLiteral("tasks"), tasksAction);
    if (tasksAction == u"move" && moveTo)
        query.emplaceBack(QStringLiteral("to"), *moveTo);
    return request<Folder>(*this, "DELETE", {"folders", id}, std::move(query),
                           std::optional<NoBody>(), true);
}

QCoro::Task<QList<TaskItem>> APIClient::listTasks(std::optional<QString> folderId,
                                                  std::optional<TaskStatus> status) const {
    QueryItems query;
    if (folderId)
        query.emplaceBack(QStringLiteral("folderId"), *folderId);
    if (status)
        query.emplaceBack(QStringLiteral("status"), rawValue(*status));
    return request<QList<TaskItem>>(*this, "GET", {"tasks"}, std::move(query),
                                    std::optional<NoBody>(), true);
}

QCoro::Task<TaskItem> APIClient::createTask(TaskCreateBody body) const {
    return request<TaskItem>(*this, "POST", {"tasks"}, {}, std::optional(std::move(body)), true);
}

QCoro::Task<TaskItem> APIClient::patchTask(QString id, TaskPatchBody body) const {
    return request<TaskItem>(*this, "PATCH", {"tasks", id}, {}, std::optional(std::move(body)),
                             true);
}

QCoro::Task<TaskItem> APIClient::completeTask(QString id) const {
    return request<TaskItem>(*this, "POST", {"tasks", id, "complete"}, {}, std::optional<NoBody>(),
                             true);
}

QCoro::Task<TaskItem> APIClient::deleteTask(QString id) const {
    return request<TaskItem>(*this, "DELETE", {"tasks", id}, {}, std::optional<NoBody>(), true);
}

QCoro::Task<SyncPullResponse> APIClient::syncPull(std::optional<Instant> since) const {
    QueryItems query;
    if (since)
        query.emplaceBack(QStringLiteral("since"),
                          QString::fromStdString(since->toISO8601Seconds()));
    return request<SyncPullResponse>(*this, "GET", {"sync"}, std::move(query),
                                     std::optional<NoBody>(), true);
}

QCoro::Task<SyncPushResponse> APIClient::syncPush(SyncPushBody body) const {
    return request<SyncPushResponse>(*this, "POST", {"sync"}, {}, std::optional(std::move(body)),
                                     true);
}

QCoro::Task<CaptureProcessResponse>
APIClient::createCapture(std::optional<QString> audioBase64, std::optional<QString> mimeType,
                         std::optional<qint64> durationMs) const {
    CaptureBody body{std::move(audioBase64), std::move(mimeType), durationMs};
    return request<CaptureProcessResponse>(*this, "POST", {"captures"}, {},
                                           std::optional(std::move(body)), true);
}

QCoro::Task<QList<Capture>> APIClient::listCaptures() const {
    return request<QList<Capture>>(*this, "GET", {"captures"}, {}, std::optional<NoBody>(), true);
}

QCoro::Task<CaptureWithRuns> APIClient::getCapture(QString id) const {
    return request<CaptureWithRuns>(*this, "GET", {"captures", id}, {}, std::optional<NoBody>(),
                                    true);
}

QCoro::Task<ReprocessResponse> APIClient::reprocess(QString id,
                                                    std::optional<QString> editedText) const {
    return request<ReprocessResponse>(*this, "POST", {"captures", id, "reprocess"}, {},
                                      std::optional(ReprocessBody{std::move(editedText)}), true);
}

QCoro::Task<ApplyResult> APIClient::assistantAsk(QString text) const {
    return request<ApplyResult>(*this, "POST", {"assistant"}, {},
                                std::optional(AssistantBody{std::move(text)}), true);
}
