#pragma once

#include "OndrelUI/update/AppVersion.h"
#include "OndrelUI/update/AppcastItem.h"

#include <QList>

#include <optional>

// Which item of a feed, if any, is an update for this installation.
namespace UpdateChoice {

// No release of ours comes near this; a larger declared length is a hostile feed.
inline constexpr qint64 maxPackageLength = 512LL * 1024 * 1024;

// An enclosure the updater can download and verify: a web address, a length within bounds,
// a type and a signature.
bool isComplete(const AppcastItem::Enclosure& enclosure);

// The newest item that is newer than `running`, has a complete enclosure and asks for no newer
// system than `systemVersion` (a system version that is not a version number passes).
std::optional<AppcastItem> newest(const QList<AppcastItem>& items, const AppVersion& running,
                                  const QString& systemVersion);

} // namespace UpdateChoice
