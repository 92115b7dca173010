#pragma once

#include "OndrelCore/bodies/FolderCreateBody.h"
#include "OndrelCore/bodies/SyncPushBody.h"
#include "OndrelCore/bodies/TaskCreateBody.h"
#include "OndrelCore/bodies/TaskPatchBody.h"
#include "OndrelCore/client/HTTPTransport.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureProcessResponse.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/ReprocessResponse.h"
#include "OndrelCore/wire/SyncPullResponse.h"
#include "OndrelCore/wire/SyncPushResponse.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/User.h"

#include <QCoroTask>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>
#include <utility>

// The service's whole vocabulary: one operation per endpoint. A cheap value; each operation
// copies what it needs, so a client may be a temporary. 2xx bodies are decoded off the GUI
// thread; 401 throws APIError::unauthorized, other failures APIError::http, TransportError or
// DecodingError, all unchanged. A request the client will not send (an unusable id, a token
// that would break the header, a base URL that is malformed or not secure, see ServiceAddress)
// throws RequestRefusal before anything goes out.
class APIClient {
public:
    APIClient(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
              std::optional<QString> accessToken = std::nullopt);

    const QUrl& baseURL() const { return m_baseURL; }
    const std::shared_ptr<HTTPTransport>& transport() const { return m_transport; }
    const std::optional<QString>& accessToken() const { return m_accessToken; }
    // The same client sending `key` as every request's Idempotency-Key, so that a service which
    // honours it runs a POST resent after a lost answer only once. Throws RequestRefusal for a
    // key that is not an IdempotencyKey.
    APIClient withIdempotencyKey(const QString& key) const;

    QCoro::Task<AuthResponse> loginYandex(QString accessToken) const;
    QCoro::Task<AuthResponse> refresh(QString refreshToken) const;
    QCoro::Task<User> me() const;
    QCoro::Task<QList<Folder>> listFolders() const;
    QCoro::Task<Folder> createFolder(FolderCreateBody body) const;
    QCoro::Task<Folder> deleteFolder(QString id, QString tasksAction,
                                     std::optional<QString> moveTo = std::nullopt) const;
    QCoro::Task<QList<TaskItem>> listTasks(std::optional<QString> folderId = std::nullopt,
                                           std::optional<TaskStatus> status = std::nullopt) const;
    QCoro::Task<TaskItem> createTask(TaskCreateBody body) const;
    QCoro::Task<TaskItem> patchTask(QString id, TaskPatchBody body) const;
    QCoro::Task<TaskItem> completeTask(QString id) const;
    QCoro::Task<TaskItem> deleteTask(QString id) const;
    QCoro::Task<SyncPullResponse> syncPull(std::optional<Instant> since = std::nullopt) const;
    QCoro::Task<SyncPushResponse> syncPush(SyncPushBody body) const;
    QCoro::Task<CaptureProcessResponse> createCapture(std::optional<QString> audioBase64,
                                                      std::optional<QString> mimeType,
                                                      std::optional<qint64> durationMs) const;
    QCoro::Task<QList<Capture>> listCaptures() const;
    QCoro::Task<CaptureWithRuns> getCapture(QString id) const;
    QCoro::Task<ReprocessResponse>
    reprocess(QString id, std::optional<QString> editedText = std::nullopt) const;
    QCoro::Task<ApplyResult> assistantAsk(QString text) const;

private:
    using QueryItems = QList<std::pair<QString, QString>>;

    struct NoBody {};

    // `path` is its segments, each percent-encoded as one. Encodes the body, builds the request
    // from a copy of the client's fields, sends it, classifies the status and decodes a 2xx body as
    // Result on a worker thread. Static, and every argument taken by value, so nothing refers back
    // to a client that may be gone.
    template <class Result, class Body = NoBody>
    static QCoro::Task<Result> request(APIClient client, QByteArray method, QStringList path,
                                       QueryItems query, std::optional<Body> body, bool auth);

    QUrl m_baseURL;
    std::shared_ptr<HTTPTransport> m_transport;
    std::optional<QString> m_accessToken;
    std::optional<QByteArray> m_idempotencyKey;
};
