#include "OndrelCore/APIClient.h"

#include "OndrelCore/APIError.h"
#include "OndrelCore/AssistantBody.h"
#include "OndrelCore/CaptureBody.h"
#include "OndrelCore/ODJSON.h"
#include "OndrelCore/RefreshBody.h"
#include "OndrelCore/ReprocessBody.h"
#include "OndrelCore/YandexLoginBody.h"

#include <QCoroFuture>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <exception>

namespace {

constexpr std::chrono::seconds requestTimeout{60};

// An id becomes exactly one path segment: whatever it holds ("/", "?", "#", "%", spaces), it
// cannot reach another path or add a query. "", "." and ".." cannot be one segment at all.
QString pathSegment(const QString& id) {
    if (id.isEmpty() || id == u"." || id == u"..")
        throw APIError::invalidResponse();
    return QString::fromLatin1(QUrl::toPercentEncoding(id));
}

// QUrlQuery leaves "+" as it is, which servers read as a space; encoding each name and value
// fully first keeps "+", "&", "=", "#" and spaces intact.
QUrlQuery encodedQuery(const QList<std::pair<QString, QString>>& items) {
    QUrlQuery query;
    for (const auto& [name, value] : items)
        query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(name)),
                           QString::fromLatin1(QUrl::toPercentEncoding(value)));
    return query;
}

// A token is pasted into a header line; one holding a line break or NUL could add headers.
QByteArray bearer(const QString& token) {
    const QByteArray value = "Bearer " + token.toUtf8();
    if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
        throw APIError::invalidResponse();
    return value;
}

QUrl requestURL(const QUrl& baseURL, const QString& path,
                const QList<std::pair<QString, QString>>& query) {
    QUrl url(baseURL.toString(QUrl::FullyEncoded) + path, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        throw APIError::invalidResponse();
    if (!query.isEmpty())
        url.setQuery(encodedQuery(query));
    if (!url.isValid())
        throw APIError::invalidResponse();
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

template <class Body>
QByteArray encode(const Body& body) {
    return ODJSON::encoder().encode(body);
}

} // namespace

APIClient::APIClient(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
                     std::optional<QString> accessToken)
    : m_baseURL(std::move(baseURL)), m_transport(std::move(transport)),
      m_accessToken(std::move(accessToken)) {}

template <class Result>
QCoro::Task<Result> APIClient::request(APIClient client, QByteArray method, QString path,
                                       QueryItems query, std::optional<QByteArray> body,
                                       bool auth) {
    HTTPRequest request;
    request.url = requestURL(client.m_baseURL, path, query);
    request.method = std::move(method);
    request.timeout = requestTimeout;
    request.cachePolicy = QNetworkRequest::AlwaysNetwork;
    if (body) {
        request.headers.emplaceBack("Content-Type", "application/json");
        request.body = std::move(body);
    }
    if (auth && client.m_accessToken)
        request.headers.emplaceBack("Authorization", bearer(*client.m_accessToken));

    HTTPResponse response = co_await client.m_transport->send(std::move(request));
    if (response.statusCode == 401)
        throw APIError::unauthorized();
    if (response.statusCode < 200 || response.statusCode > 299)
        throw APIError::http(response.statusCode, QString::fromUtf8(response.body));

    Decoded<Result> decoded = co_await QtConcurrent::run(
        [body = std::move(response.body)] { return decodeBody<Result>(body); });
    if (decoded.error)
        std::rethrow_exception(decoded.error);
    co_return std::move(*decoded.value);
}

// Each operation is a coroutine so that encoding failures, too, arrive through co_await; it
// hands request() a copy of the client before its first suspension.

QCoro::Task<AuthResponse> APIClient::loginYandex(QString accessToken) const {
    co_return co_await request<AuthResponse>(*this, "POST", QStringLiteral("/auth/yandex"), {},
                                             encode(YandexLoginBody{accessToken}), false);
}

QCoro::Task<AuthResponse> APIClient::refresh(QString refreshToken) const {
    co_return co_await request<AuthResponse>(*this, "POST", QStringLiteral("/auth/refresh"), {},
                                             encode(RefreshBody{refreshToken}), false);
}

QCoro::Task<User> APIClient::me() const {
    co_return co_await request<User>(*this, "GET", QStringLiteral("/auth/me"), {}, {}, true);
}

QCoro::Task<QList<Folder>> APIClient::listFolders() const {
    co_return co_await request<QList<Folder>>(*this, "GET", QStringLiteral("/folders"), {}, {},
                                              true);
}

QCoro::Task<Folder> APIClient::createFolder(FolderCreateBody body) const {
    co_return co_await request<Folder>(*this, "POST", QStringLiteral("/folders"), {}, encode(body),
                                       true);
}

QCoro::Task<Folder> APIClient::deleteFolder(QString id, QString tasksAction,
                                            std::optional<QString> moveTo) const {
    QueryItems query{{QStringLiteral("tasks"), tasksAction}};
    if (tasksAction == u"move" && moveTo)
        query.emplaceBack(QStringLiteral("to"), *moveTo);
    co_return co_await request<Folder>(
        *this, "DELETE", QStringLiteral("/folders/") + pathSegment(id), query, {}, true);
}

QCoro::Task<QList<TaskItem>> APIClient::listTasks(std::optional<QString> folderId,
                                                  std::optional<TaskStatus> status) const {
    QueryItems query;
    if (folderId)
        query.emplaceBack(QStringLiteral("folderId"), *folderId);
    if (status)
        query.emplaceBack(QStringLiteral("status"), rawValue(*status));
    co_return co_await request<QList<TaskItem>>(*this, "GET", QStringLiteral("/tasks"), query, {},
                                                true);
}

QCoro::Task<TaskItem> APIClient::createTask(TaskCreateBody body) const {
    co_return co_await request<TaskItem>(*this, "POST", QStringLiteral("/tasks"), {}, encode(body),
                                         true);
}

QCoro::Task<TaskItem> APIClient::patchTask(QString id, TaskPatchBody body) const {
    co_return co_await request<TaskItem>(
        *this, "PATCH", QStringLiteral("/tasks/") + pathSegment(id), {}, encode(body), true);
}

QCoro::Task<TaskItem> APIClient::completeTask(QString id) const {
    co_return co_await request<TaskItem>(
        *this, "POST", QStringLiteral("/tasks/") + pathSegment(id) + QStringLiteral("/complete"),
        {}, {}, true);
}

QCoro::Task<TaskItem> APIClient::deleteTask(QString id) const {
    co_return co_await request<TaskItem>(*this, "DELETE",
                                         QStringLiteral("/tasks/") + pathSegment(id), {}, {}, true);
}

QCoro::Task<SyncPullResponse> APIClient::syncPull(std::optional<Instant> since) const {
    QueryItems query;
    if (since)
        query.emplaceBack(QStringLiteral("since"),
                          QString::fromStdString(since->toISO8601Seconds()));
    co_return co_await request<SyncPullResponse>(*this, "GET", QStringLiteral("/sync"), query, {},
                                                 true);
}

QCoro::Task<SyncPushResponse> APIClient::syncPush(SyncPushBody body) const {
    co_return co_await request<SyncPushResponse>(*this, "POST", QStringLiteral("/sync"), {},
                                                 encode(body), true);
}

QCoro::Task<CaptureProcessResponse>
APIClient::createCapture(std::optional<QString> audioBase64, std::optional<QString> mimeType,
                         std::optional<qint64> durationMs) const {
    const CaptureBody body{std::move(audioBase64), std::move(mimeType), durationMs};
    co_return co_await request<CaptureProcessResponse>(*this, "POST", QStringLiteral("/captures"),
                                                       {}, encode(body), true);
}

QCoro::Task<QList<Capture>> APIClient::listCaptures() const {
    co_return co_await request<QList<Capture>>(*this, "GET", QStringLiteral("/captures"), {}, {},
                                               true);
}

QCoro::Task<CaptureWithRuns> APIClient::getCapture(QString id) const {
    co_return co_await request<CaptureWithRuns>(
        *this, "GET", QStringLiteral("/captures/") + pathSegment(id), {}, {}, true);
}

QCoro::Task<ReprocessResponse> APIClient::reprocess(QString id,
                                                    std::optional<QString> editedText) const {
    co_return co_await request<ReprocessResponse>(
        *this, "POST",
        QStringLiteral("/captures/") + pathSegment(id) + QStringLiteral("/reprocess"), {},
        encode(ReprocessBody{std::move(editedText)}), true);
}

QCoro::Task<ApplyResult> APIClient::assistantAsk(QString text) const {
    co_return co_await request<ApplyResult>(*this, "POST", QStringLiteral("/assistant"), {},
                                            encode(AssistantBody{std::move(text)}), true);
}
