#pragma once

#include "OndrelLocalService/assistant/Assistant.h"
#include "OndrelLocalService/http/FormTokens.h"
#include "OndrelLocalService/http/HttpCall.h"
#include "OndrelLocalService/http/HttpLimits.h"
#include "OndrelLocalService/http/HttpReply.h"
#include "OndrelLocalService/services/AuthService.h"
#include "OndrelLocalService/services/CaptureService.h"
#include "OndrelLocalService/services/FolderService.h"
#include "OndrelLocalService/services/SyncService.h"
#include "OndrelLocalService/services/TaskService.h"
#include "OndrelLocalService/services/UpdateFeed.h"

#include <functional>

// Maps each request to its operation: path and method, bearer token, body decoding, and the
// status and text of every refusal. Nothing a client sends escapes as an exception.
class ServiceRouter {
public:
    struct Settings {
        AuthService::Settings auth;
        bool autoApprove = false;
        UpdateFeed::Settings updates;
    };
    static constexpr qsizetype maxBodySize = HttpLimits::maxBody;

    ServiceRouter(ServiceStore& store, Settings settings);

    HttpReply handle(const HttpCall& call);

private:
    using Arguments = QStringList; // the path's id segments, decoded
    using Handler = std::function<HttpReply(const HttpCall&, const Arguments&)>;
    struct Route {
        QStringList pattern; // "*" stands for one id segment
        QByteArray method;
        Handler handler;
    };

    void addRoutes();
    void add(QStringList pattern, QByteArray method, Handler handler);
    HttpReply dispatch(const HttpCall& call);
    HttpReply dispatchOnce(const HttpCall& call);
    QString user(const HttpCall& call) const;
    HttpReply signInRedirect();
    HttpReply approve(const HttpCall& call);

    ServiceStore& m_store;
    Settings m_settings;
    AuthService m_auth;
    FolderService m_folders;
    TaskService m_tasks;
    SyncService m_sync;
    Assistant m_assistant;
    CaptureService m_captures;
    UpdateFeed m_updates;
    FormTokens m_formTokens;
    QList<Route> m_routes;
};
