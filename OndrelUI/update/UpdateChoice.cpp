#include "OndrelUI/update/UpdateChoice.h"

namespace {

bool runsOn(const AppcastItem& item, const QString& systemVersion) {
    if (item.minimumSystemVersion.isEmpty())
        return true;
    const std::optional<AppVersion> minimum = AppVersion::parse(item.minimumSystemVersion);
    if (!minimum)
        return false;
    const std::optional<AppVersion> system = AppVersion::parse(systemVersion);
    return !system || *system >= *minimum;
}

} // namespace

bool UpdateChoice::isComplete(const AppcastItem::Enclosure& enclosure) {
    return enclosure.url.isValid() && enclosure.length > 0 &&
           enclosure.length <= maxPackageLength && !enclosure.type.isEmpty() &&
           !enclosure.edSignature.isEmpty();
}

std::optional<AppcastItem> UpdateChoice::newest(const QList<AppcastItem>& items,
                                                const AppVersion& running,
                                                const QString& systemVersion) {
    std::optional<AppcastItem> best;
    std::optional<AppVersion> bestVersion;
    for (const AppcastItem& item : items) {
        const std::optional<AppVersion> version = AppVersion::parse(item.version);
        if (!version || *version <= running || (bestVersion && *version <= *bestVersion))
            continue;
        if (!isComplete(item.enclosure) || !runsOn(item, systemVersion))
            continue;
        best = item;
        bestVersion = version;
    }
    return best;
}
