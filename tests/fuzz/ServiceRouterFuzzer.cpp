// libFuzzer entry for the local service's request handling, straight into its router without a
// socket. The input is a request as written on the wire:
//
//   PATCH /tasks/{task}?x=1
//   Authorization: Bearer {access}
//
//   {"title":"…"}
//
// Each input gets a fresh in-memory service with the demo account signed in and its sample
// data, so that inputs reach past the token check and any finding replays alone. {access},
// {refresh}, {inbox}, {task} and {folder} stand for that account's tokens, its inbox, one of its
// tasks and that task's folder.
// Nothing a client sends may end in a crash or an internal error (500).
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/AuthResponse.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelLocalService/http/ServiceRouter.h"

#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr auto fixedInstant = "2025-01-15T18:30:00Z";

HttpReply send(ServiceRouter& router, QByteArray method, QString path, QByteArray authorization,
               QByteArray body = {}) {
    return router.handle(
        HttpCall{std::move(method), std::move(path), {}, std::move(authorization), body});
}

// The request written in the input, with the account's names put in.
HttpCall requestFrom(QByteArray text, const QList<std::pair<QByteArray, QByteArray>>& names) {
    for (const auto& [name, value] : names)
        text.replace(name, value);
    HttpCall call;
    qsizetype headEnd = text.indexOf("\n\n");
    call.body = headEnd < 0 ? QByteArray() : text.sliced(headEnd + 2);
    const QList<QByteArray> head = text.first(headEnd < 0 ? text.size() : headEnd).split('\n');
    const QList<QByteArray> requestLine = head.first().split(' ');
    call.method = requestLine.first();
    const QUrl url = QUrl::fromEncoded(requestLine.value(1));
    call.path = url.path(QUrl::FullyEncoded);
    call.query = QUrlQuery(url);
    for (qsizetype i = 1; i < head.size(); ++i) {
        const qsizetype colon = head[i].indexOf(':');
        if (colon > 0 && head[i].first(colon).compare("authorization", Qt::CaseInsensitive) == 0)
            call.authorization = head[i].sliced(colon + 1).trimmed();
    }
    return call;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Instant now = *Instant::fromISO8601(fixedInstant);
    ServiceStore store(std::nullopt, [now] { return now; });
    ServiceRouter router(store, ServiceRouter::Settings{}, [now] {
        return now.toQDateTime().toTimeZone(QTimeZone("Europe/Moscow"));
    });

    const auto auth = ODJSON::decoder().decode<AuthResponse>(
        send(router, "POST", "/auth/yandex", {}, R"({"accessToken":"fuzz"})").body);
    const QByteArray bearer = "Bearer " + auth.accessToken.toLatin1();
    const auto folders =
        ODJSON::decoder().decode<QList<Folder>>(send(router, "GET", "/folders", bearer).body);
    const auto tasks =
        ODJSON::decoder().decode<QList<TaskItem>>(send(router, "GET", "/tasks", bearer).body);
    const QList<std::pair<QByteArray, QByteArray>> names{
        {"{access}", auth.accessToken.toUtf8()},
        {"{refresh}", auth.refreshToken.toUtf8()},
        {"{inbox}", std::ranges::find_if(folders, &Folder::isSystem)->id.toUtf8()},
        {"{task}", tasks.first().id.toUtf8()},
        {"{folder}", tasks.first().folderId.value_or(QString()).toUtf8()},
    };

    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    if (router.handle(requestFrom(text, names)).status >= 500)
        __builtin_trap();
    return 0;
}
