#include "OndrelUI/config/AppConfig.h"

#include "OndrelCore/client/ServiceAddress.h"
#include "OndrelUI/config/Graphemes.h"
#include "OndrelUI/viewmodels/TextRules.h"

#include <QtGlobal>

#ifndef ONDREL_SERVICE_URL
#error "ONDREL_SERVICE_URL must be defined by the build"
#endif

namespace AppConfig {

int taskDescriptionPreviewLimit = 100;

namespace {

constexpr auto environmentVariable = "ONDREL_SERVICE_URL";

QString trimHorizontalSpace(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString refusal(const QString& text, const QString& source, const QString& reason) {
    return QStringLiteral("Адрес сервиса «%1» (%2) не подходит: %3. Нужен абсолютный адрес "
                          "https:// (http:// — только для этого компьютера) без косой черты в "
                          "конце, например https://example.org")
        .arg(text, source, reason);
}

} // namespace

QString builtInServiceURL() {
    return QStringLiteral(ONDREL_SERVICE_URL);
}

ServiceURLResult parseServiceURL(const QString& text, const QString& source) {
    const auto refuse = [&](const QString& reason) {
        return ServiceURLResult{std::nullopt, refusal(text, source, reason)};
    };
    if (text.trimmed().isEmpty())
        return refuse(QStringLiteral("адрес пуст"));
    if (text != text.trimmed())
        return refuse(QStringLiteral("по краям есть пробелы"));
    const QUrl url(text, QUrl::StrictMode);
    // QUrl's own errorString() is English.
    if (!url.isValid())
        return refuse(QStringLiteral("адрес записан с ошибкой"));
    const QString scheme = url.scheme();
    if (scheme != u"http" && scheme != u"https")
        return refuse(QStringLiteral("схема должна быть http или https"));
    if (url.host().isEmpty())
        return refuse(QStringLiteral("нет имени хоста"));
    if (!ServiceAddress::isSecure(url))
        return refuse(QStringLiteral("http:// передал бы токены открытым текстом; он допустим "
                                     "только для адресов этого компьютера (127.0.0.0/8, ::1, "
                                     "localhost)"));
    if (url.hasQuery() || url.hasFragment())
        return refuse(QStringLiteral("адрес не может содержать «?» или «#»"));
    if (text.endsWith(u'/'))
        return refuse(QStringLiteral("в конце стоит косая черта"));
    return ServiceURLResult{url, {}};
}

ServiceURLResult serviceURL() {
    if (qEnvironmentVariableIsSet(environmentVariable))
        return parseServiceURL(qEnvironmentVariable(environmentVariable),
                               QStringLiteral("переменная окружения ONDREL_SERVICE_URL"));
    return parseServiceURL(builtInServiceURL(), QStringLiteral("задан при сборке"));
}

std::optional<QString> descriptionPreview(const std::optional<QString>& text, int limit) {
    if (!text)
        return std::nullopt;
    QString line = text->trimmed();
    if (line.isEmpty())
        return std::nullopt;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    // A character spans at least one UTF-16 unit, so a short text needs no segmentation.
    if (limit < 1 || line.size() <= limit)
        return line;
    const qsizetype cut = Graphemes::offsetAfter(line, limit);
    if (cut == -1 || cut == line.size())
        return line;
    return trimHorizontalSpace(line.left(cut)) + QChar(0x2026);
}

} // namespace AppConfig
