#include "OndrelLocalService/http/Refusals.h"

HttpReply Refusals::badRequest() {
    return HttpReply::text(QStringLiteral("Некорректный HTTP-запрос"), 400);
}

HttpReply Refusals::missingHost() {
    return HttpReply::text(QStringLiteral("В запросе нет заголовка Host"), 400);
}

HttpReply Refusals::foreignHost() {
    // A page that rebinds its own name to 127.0.0.1 still sends that name: it is not served.
    return HttpReply::text(QStringLiteral("Сервис отвечает только по адресам 127.0.0.1, "
                                          "localhost и [::1] со своим портом"),
                           421);
}

HttpReply Refusals::targetTooLong() {
    return HttpReply::text(QStringLiteral("Адрес запроса длиннее 8 КБ"), 414);
}

HttpReply Refusals::headersTooLarge() {
    return HttpReply::text(QStringLiteral("Заголовки запроса больше 16 КБ"), 431);
}

HttpReply Refusals::bodyTooLarge() {
    return HttpReply::text(QStringLiteral("Тело запроса больше 32 МБ"), 413);
}

HttpReply Refusals::busy() {
    HttpReply reply =
        HttpReply::text(QStringLiteral("Сервис занят, повторите запрос через секунду"), 503);
    reply.headers.append({QByteArray("Retry-After"), QByteArray("1")});
    return reply;
}
