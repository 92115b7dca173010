#include "OndrelLocalService/http/SignInPage.h"

#include <QUrl>
#include <QUrlQuery>

namespace {
QByteArray callbackWith(const QList<std::pair<QString, QString>>& items) {
    QUrl url(QStringLiteral("ondrel://auth"));
    QUrlQuery query;
    for (const auto& [name, value] : items)
        query.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(query);
    return url.toEncoded();
}
} // namespace

QString SignInPage::page() {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
               "<title>Вход в Ondrel</title>"
               "<style>body{font-family:sans-serif;max-width:28em;margin:4em auto;"
               "text-align:center}button{font-size:1.1em;padding:.6em 1.4em}</style></head>"
               "<body><h1>Вход в Ondrel</h1>"
               "<p>Это локальный сервис для разработки: вход через Яндекс здесь заменён "
               "демо-пользователем.</p>"
               "<form method=\"post\" action=\"%1\">"
               "<button type=\"submit\">Войти как демо-пользователь</button></form>"
               "</body></html>\n")
        .arg(QString::fromLatin1(approvePath));
}

QByteArray SignInPage::callback(const AuthResponse& response) {
    return callbackWith({{QStringLiteral("access"), response.accessToken},
                         {QStringLiteral("refresh"), response.refreshToken}});
}

QByteArray SignInPage::failure(const QString& reason) {
    return callbackWith({{QStringLiteral("error"), reason}});
}
