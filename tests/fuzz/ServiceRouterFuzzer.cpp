// libFuzzer entry for the local service's request handling, straight into its router. The
// input is a request as on the wire ("PATCH /tasks/{task}?x=1", header lines such as
// "Authorization: Bearer {access}", an empty line, the body). One in-memory service per process
// has the demo account signed in with its sample data, so that inputs reach past the token
// check; {access}, {refresh}, {inbox}, {task} and {folder} stand for that account's tokens, its
// inbox, one of its tasks and that task's folder. Each request runs inside a change that is then
// undone, so every input meets the same state and a finding replays alone. Nothing a client
// sends may end in a crash or an internal error (500).
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

// The request written in `text`, with the account's names put in.
HttpCall requestFrom(QByteArray text, const QList<std::pair<QByteArray, QByteArray>>& names) {
    for (const auto& [name, value] : names)
        text.replace(name, value);
    HttpCall call;
    const qsizetype headEnd = text.indexOf("\n\n");
    call.body = headEnd < 0 ? QByteArray() : text.sliced(headEnd + 2);
    const QList<QByteArray> head = text.first(headEnd < 0 ? text.size() : headEnd).split('\n');
    const QList<QByteArray> requestLine = head.first().split(' ');
    call.method = requestLine.first();
    const QUrl url = QUrl::fromEncoded(requestLine.value(1));
    call.path = url.path(QUrl::FullyEncoded);
    call.query = QUrlQuery(url);
    for (const QByteArray& line : head.sliced(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).compare("authorization", Qt::CaseInsensitive) == 0)
            call.authorization = line.sliced(colon + 1).trimmed();
    }
    return call;
}

// The signed-in service and the names an input may use.
struct Service {
    Service() {
        const auto auth = decode<AuthResponse>(
            requestFrom("POST /auth/yandex\n\n{\"accessToken\":\"fuzz\"}", {}));
        // The assistant reads day words in the account's zone, not this machine's.
        store.change([&] {
            User user = auth.user;
            user.timezone = QStringLiteral("Europe/Moscow");
            store.put(user);
        });
        const QByteArray bearer = "\nAuthorization: Bearer " + auth.accessToken.toLatin1();
        const auto folders = decode<QList<Folder>>(requestFrom("GET /folders" + bearer, {}));
        const auto tasks = decode<QList<TaskItem>>(requestFrom("GET /tasks" + bearer, {}));
        names = {
            {"{access}", auth.accessToken.toUtf8()},
            {"{refresh}", auth.refreshToken.toUtf8()},
            {"{inbox}", std::ranges::find_if(folders, &Folder::isSystem)->id.toUtf8()},
            {"{task}", tasks.first().id.toUtf8()},
            {"{folder}", tasks.first().folderId.value_or(QString()).toUtf8()},
        };
    }
    template <class T>
    T decode(const HttpCall& call) {
        return ODJSON::decoder().decode<T>(router.handle(call).body);
    }

    Instant now = *Instant::fromISO8601("2025-01-15T18:30:00Z");
    ServiceStore store{std::nullopt, [this] { return now; }};
    ServiceRouter router{store, ServiceRouter::Settings{}};
    QList<std::pair<QByteArray, QByteArray>> names;
};

struct Undo {};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Service service;
    const HttpCall call = requestFrom(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), service.names);
    int status = 0;
    try {
        service.store.change([&] {
            status = service.router.handle(call).status;
            throw Undo{};
        });
    } catch (const Undo&) {
    }
    if (status >= 500)
        __builtin_trap();
    return 0;
}
