#include "OndrelUI/update/UpdateFeedAddress.h"

#include "OndrelCore/client/ServiceAddress.h"

#include <QtGlobal>

namespace UpdateFeedAddress {

namespace {

constexpr auto environmentVariable = "ONDREL_UPDATE_FEED_URL";

QUrl feedAtOrigin(const QUrl& service) {
    QUrl feed;
    feed.setScheme(service.scheme());
    feed.setHost(service.host());
    feed.setPort(service.port());
    feed.setPath(QStringLiteral("/appcast.xml"));
    return feed;
}

ServiceURLResult checked(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !url.isRelative() && ServiceAddress::isSecure(url))
        return {url, {}};
    return {std::nullopt,
            QStringLiteral("Адрес ленты обновлений «%1» (переменная окружения "
                           "ONDREL_UPDATE_FEED_URL) не подходит: нужен абсолютный адрес https:// "
                           "(http:// — только для этого компьютера)")
                .arg(text)};
}

} // namespace

ServiceURLResult choose(const QUrl& service, const Build& build,
                        const std::optional<QString>& environmentFeed) {
    if (environmentFeed)
        return checked(*environmentFeed);
    const QUrl builtFeed(build.feedURL);
    if (builtFeed == feedAtOrigin(QUrl(build.serviceURL)))
        return {feedAtOrigin(service), {}};
    return {builtFeed, {}};
}

ServiceURLResult fromEnvironment(const QUrl& service, const Build& build) {
    std::optional<QString> environmentFeed;
    if (qEnvironmentVariableIsSet(environmentVariable))
        environmentFeed = qEnvironmentVariable(environmentVariable);
    return choose(service, build, environmentFeed);
}

} // namespace UpdateFeedAddress
