#include "OndrelLocalService/http/SignInPage.h"

#include <QUrl>
#include <QUrlQuery>

#include <boost/beast/core/string.hpp>

namespace {

constexpr auto formTokenField = "formToken";

bool sameText(const QByteArray& a, const QByteArray& b) {
    return boost::beast::iequals(std::string_view(a.constData(), a.size()),
                                 std::string_view(b.constData(), b.size()));
}
QByteArray callbackWith(const QList<std::pair<QString, QString>>& items) {
    QUrl url(QStringLiteral("ondrel://auth"));
    QUrlQuery query;
    for (const auto& [name, value] : items)
        query.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(query);
    return url.toEncoded();
}
} // namespace

QString SignInPage::page(const QString& formToken) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
               "<title>Вход в Ondrel</title>"
               "<style>body{font-family:sans-serif;max-width:28em;margin:4em auto;"
               "text-align:center}button{font-size:1.1em;padding:.6em 1.4em}</style></head>"
               "<body><h1>Вход в Ondrel</h1>"
               "<p>Это локальный сервис для разработки: вход через Яндекс здесь заменён "
               "демо-пользователем.</p>"
               "<form method=\"post\" action=\"%1\">"
               "<input type=\"hidden\" name=\"%2\" value=\"%3\">"
               "<button type=\"submit\">Войти как демо-пользователь</button></form>"
               "</body></html>\n")
        .arg(QString::fromLatin1(approvePath), QString::fromLatin1(formTokenField),
             formToken.toHtmlEscaped());
}

QString SignInPage::formToken(const QByteArray& body) {
    return QUrlQuery(QString::fromUtf8(body))
        .queryItemValue(QString::fromLatin1(formTokenField), QUrl::FullyDecoded);
}

bool SignInPage::fromOwnPage(const HttpCall& call) {
    if (!call.origin.isEmpty())
        return !call.host.isEmpty() && sameText(call.origin, "http://" + call.host);
    return call.fetchSite.isEmpty() || sameText(call.fetchSite, "same-origin") ||
           sameText(call.fetchSite, "none");
}

QByteArray SignInPage::callback(const AuthResponse& response) {
    return callbackWith({{QStringLiteral("access"), response.accessToken},
                         {QStringLiteral("refresh"), response.refreshToken}});
}

QByteArray SignInPage::failure(const QString& reason) {
    return callbackWith({{QStringLiteral("error"), reason}});
}
