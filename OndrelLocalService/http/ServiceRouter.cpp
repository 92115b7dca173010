#include "OndrelLocalService/http/ServiceRouter.h"

#include "OndrelCore/bodies/AssistantBody.h"
#include "OndrelCore/bodies/RefreshBody.h"
#include "OndrelCore/bodies/ReprocessBody.h"
#include "OndrelCore/bodies/YandexLoginBody.h"
#include "OndrelCore/client/IdempotencyKey.h"
#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelLocalService/http/Refusals.h"
#include "OndrelLocalService/http/SignInPage.h"
#include "OndrelLocalService/services/ServiceError.h"

#include <QDataStream>
#include <QIODevice>

#include <QUrl>

namespace {

template <class T>
T decodeBody(const HttpCall& call) {
    try {
        return ODJSON::decoder().decode<T>(call.body);
    } catch (const DecodingError& error) {
        const QString where =
            error.codingPath().isEmpty() ? QString() : error.codingPath() + QStringLiteral(": ");
        throw ServiceError(400, QStringLiteral("Некорректное тело запроса: ") + where +
                                    error.description());
    }
}

template <class T>
HttpReply answer(const T& value, int status = 200) {
    return HttpReply::json(ODJSON::encoder().encode(value), status);
}

std::optional<QString> queryValue(const HttpCall& call, const QString& name) {
    if (!call.query.hasQueryItem(name))
        return std::nullopt;
    return call.query.queryItemValue(name, QUrl::FullyDecoded);
}

std::optional<QStringList> decodedSegments(const QString& path) {
    QStringList segments = path.split(u'/');
    if (segments.isEmpty() || !segments.takeFirst().isEmpty())
        return std::nullopt;
    for (QString& segment : segments) {
        segment = QUrl::fromPercentEncoding(segment.toUtf8());
        if (segment.isEmpty())
            return std::nullopt; // "//" or a trailing slash names nothing
    }
    return segments;
}

bool matches(const QStringList& pattern, const QStringList& segments, QStringList& arguments) {
    if (pattern.size() != segments.size())
        return false;
    QStringList found;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u"*")
            found.append(segments[i]);
        else if (pattern[i] != segments[i])
            return false;
    }
    arguments = found;
    return true;
}

} // namespace

ServiceRouter::ServiceRouter(ServiceStore& store, Settings settings)
    : m_store(store), m_settings(settings), m_auth(store, settings.auth), m_folders(store),
      m_tasks(store), m_sync(store, m_tasks), m_assistant(store, m_folders, m_tasks),
      m_captures(store, m_tasks, m_assistant), m_updates(settings.updates),
      m_formTokens([&store] { return store.now(); }) {
    addRoutes();
}

HttpReply ServiceRouter::handle(const HttpCall& call) {
    try {
        if (call.body.size() > maxBodySize)
            return Refusals::bodyTooLarge();
        // Keys belong to a user: a sign-in, which has none yet, runs as it is.
        if (call.method == "POST" && !call.idempotencyKey.isEmpty() &&
            !call.authorization.isEmpty())
            return dispatchOnce(call);
        return dispatch(call);
    } catch (const ServiceError& error) {
        return HttpReply::text(error.message(), error.status());
    } catch (const std::exception& error) {
        return HttpReply::text(
            QStringLiteral("Внутренняя ошибка сервиса: %1").arg(QString::fromUtf8(error.what())),
            500);
    }
}

HttpReply ServiceRouter::dispatch(const HttpCall& call) {
    const std::optional<QStringList> segments = decodedSegments(call.path);
    QByteArrayList allowed;
    if (segments) {
        for (const Route& route : m_routes) {
            Arguments arguments;
            if (!matches(route.pattern, *segments, arguments))
                continue;
            if (route.method == call.method)
                return route.handler(call, arguments);
            allowed.append(route.method);
        }
    }
    if (allowed.isEmpty())
        return HttpReply::text(QStringLiteral("Не найдено: %1").arg(call.path), 404);
    HttpReply reply = HttpReply::text(QStringLiteral("Метод %1 не поддерживается для %2")
                                          .arg(QString::fromLatin1(call.method), call.path),
                                      405);
    reply.headers.append({"Allow", allowed.join(", ")});
    return reply;
}

// A POST carrying an idempotency key runs once for its user: a resend after its answer was lost
// gets that answer again, not a second task, folder or capture. The answer is kept in the same
// transaction as what the request changed, for a week.
HttpReply ServiceRouter::dispatchOnce(const HttpCall& call) {
    if (!IdempotencyKey::isUsable(call.idempotencyKey))
        return HttpReply::text(QStringLiteral("Недопустимый заголовок Idempotency-Key"), 400);
    const QString userId = user(call);
    const QString key = QString::fromLatin1(call.idempotencyKey);
    return m_store.change([&] {
        HttpReply reply;
        if (const std::optional<QByteArray> kept = m_store.keptAnswer(userId, key)) {
            QDataStream(*kept) >> reply.status >> reply.contentType >> reply.body;
            return reply;
        }
        reply = dispatch(call);
        if (reply.status / 100 == 2) {
            QByteArray answer;
            QDataStream(&answer, QIODevice::WriteOnly)
                << reply.status << reply.contentType << reply.body;
            const qint64 week = qint64(7) * 24 * 3600 * 1000;
            m_store.keepAnswer(
                userId, key, answer,
                Instant::fromMSecsSinceEpoch(m_store.now().toMSecsSinceEpoch() - week));
        }
        return reply;
    });
}

QString ServiceRouter::user(const HttpCall& call) const {
    // The scheme name is case-insensitive; the token itself is not.
    const QByteArray scheme = call.authorization.left(7);
    if (scheme.compare("Bearer ", Qt::CaseInsensitive) != 0)
        throw ServiceError(401, QStringLiteral("Требуется вход: нет заголовка Authorization"));
    return m_auth.authenticate(QString::fromUtf8(call.authorization.mid(7).trimmed()));
}

HttpReply ServiceRouter::signInRedirect() {
    try {
        return HttpReply::redirect(SignInPage::callback(m_auth.signInDemo()));
    } catch (const ServiceError& error) {
        return HttpReply::redirect(SignInPage::failure(error.message()));
    }
}

// Sign-in mints a session and each new one ends the oldest beyond those kept, so another
// site's page must not be able to post here: it could sign the window out. It can neither
// pass for this service's page nor read the page's one-time token.
HttpReply ServiceRouter::approve(const HttpCall& call) {
    if (!SignInPage::fromOwnPage(call))
        return HttpReply::text(QStringLiteral("Вход отклонён: запрос пришёл не со страницы входа"),
                               403);
    if (!m_formTokens.spend(SignInPage::formToken(call.body)))
        return HttpReply::text(QStringLiteral("Вход отклонён: форма устарела или уже "
                                              "отправлена. Откройте страницу входа заново"),
                               403);
    return signInRedirect();
}

void ServiceRouter::add(QStringList pattern, QByteArray method, Handler handler) {
    m_routes.append(Route{std::move(pattern), std::move(method), std::move(handler)});
}

void ServiceRouter::addRoutes() {
    const auto segments = [](const char* path) {
        return QString::fromLatin1(path).split(u'/', Qt::SkipEmptyParts);
    };

    add(segments("auth/yandex"), "POST", [this](const HttpCall& call, const Arguments&) {
        return answer(m_auth.loginYandex(decodeBody<YandexLoginBody>(call).accessToken));
    });
    add(segments("auth/yandex/start"), "GET", [this](const HttpCall& call, const Arguments&) {
        if (m_settings.autoApprove && SignInPage::fromOwnPage(call))
            return signInRedirect();
        return HttpReply::html(SignInPage::page(m_formTokens.issue()));
    });
    add(segments(SignInPage::approvePath), "POST",
        [this](const HttpCall& call, const Arguments&) { return approve(call); });
    add(segments("auth/refresh"), "POST", [this](const HttpCall& call, const Arguments&) {
        return answer(m_auth.refresh(decodeBody<RefreshBody>(call).refreshToken));
    });
    add(segments("auth/me"), "GET",
        [this](const HttpCall& call, const Arguments&) { return answer(m_auth.me(user(call))); });

    add(segments("folders"), "GET", [this](const HttpCall& call, const Arguments&) {
        return answer(m_folders.list(user(call)));
    });
    add(segments("folders"), "POST", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        return answer(m_folders.create(owner, decodeBody<FolderCreateBody>(call)), 201);
    });
    add(segments("folders/*"), "DELETE", [this](const HttpCall& call, const Arguments& ids) {
        const QString owner = user(call);
        return answer(m_folders.remove(
            owner, ids[0], queryValue(call, QStringLiteral("tasks")).value_or(QString()),
            queryValue(call, QStringLiteral("to"))));
    });

    add(segments("tasks"), "GET", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        std::optional<TaskStatus> status;
        if (const std::optional<QString> text = queryValue(call, QStringLiteral("status"))) {
            status = fromRawValue<TaskStatus>(*text);
            if (!status)
                throw ServiceError(400,
                                   QStringLiteral("status: неизвестный статус «%1»").arg(*text));
        }
        return answer(m_tasks.list(owner, queryValue(call, QStringLiteral("folderId")), status));
    });
    add(segments("tasks"), "POST", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        return answer(m_tasks.create(owner, decodeBody<TaskCreateBody>(call)), 201);
    });
    add(segments("tasks/*"), "PATCH", [this](const HttpCall& call, const Arguments& ids) {
        const QString owner = user(call);
        return answer(m_tasks.patch(owner, ids[0], decodeBody<TaskPatchBody>(call)));
    });
    add(segments("tasks/*"), "DELETE", [this](const HttpCall& call, const Arguments& ids) {
        return answer(m_tasks.remove(user(call), ids[0]));
    });
    add(segments("tasks/*/complete"), "POST", [this](const HttpCall& call, const Arguments& ids) {
        return answer(m_tasks.complete(user(call), ids[0]));
    });

    add(segments("sync"), "GET", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        std::optional<Instant> since;
        if (const std::optional<QString> text = queryValue(call, QStringLiteral("since"))) {
            since = Instant::fromISO8601(text->toStdString());
            if (!since)
                throw ServiceError(400, QStringLiteral("since: Некорректная дата: %1").arg(*text));
        }
        return answer(m_sync.pull(owner, since));
    });
    add(segments("sync"), "POST", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        return answer(m_sync.push(owner, decodeBody<SyncPushBody>(call)));
    });

    add(segments("captures"), "GET", [this](const HttpCall& call, const Arguments&) {
        return answer(m_captures.list(user(call)));
    });
    add(segments("captures"), "POST", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        return answer(m_captures.create(owner, decodeBody<CaptureBody>(call)), 201);
    });
    add(segments("captures/*"), "GET", [this](const HttpCall& call, const Arguments& ids) {
        return answer(m_captures.get(user(call), ids[0]));
    });
    add(segments("captures/*/reprocess"), "POST",
        [this](const HttpCall& call, const Arguments& ids) {
            const QString owner = user(call);
            return answer(
                m_captures.reprocess(owner, ids[0], decodeBody<ReprocessBody>(call).editedText));
        });

    add(segments("assistant"), "POST", [this](const HttpCall& call, const Arguments&) {
        const QString owner = user(call);
        const QString text = decodeBody<AssistantBody>(call).text;
        return answer(m_assistant.apply(owner, text, SourceKind::text));
    });

    add(segments("appcast.xml"), "GET",
        [this](const HttpCall&, const Arguments&) { return m_updates.appcast(); });
    add({QString::fromLatin1(UpdateFeed::packagePath), QStringLiteral("*")}, "GET",
        [this](const HttpCall&, const Arguments& names) { return m_updates.package(names[0]); });
}
