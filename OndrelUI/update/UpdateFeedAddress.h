#pragma once

#include "OndrelUI/config/ServiceURLResult.h"

#include <QString>
#include <QUrl>

#include <optional>

// Where the update feed is. ONDREL_UPDATE_FEED_URL from the environment wins; it must be
// https:// unless it names this machine, as the service's address must. Otherwise the build's
// feed, except when that feed is only the build's service's "/appcast.xml": such a feed
// follows the service, so a service named at launch is asked for "/appcast.xml" at its origin.
namespace UpdateFeedAddress {

struct Build {
    QString serviceURL;
    QString feedURL;
};

// `environmentFeed` is the variable's text when it is set.
ServiceURLResult choose(const QUrl& service, const Build& build,
                        const std::optional<QString>& environmentFeed);

// choose() with the variable read from this process's environment.
ServiceURLResult fromEnvironment(const QUrl& service, const Build& build);

} // namespace UpdateFeedAddress
