#pragma once

#include "OndrelUI/config/ServiceURLResult.h"

#include <QString>

#include <optional>

// The client's little configuration: the service's base URL and the length of the one-line
// description preview in the task list.
namespace AppConfig {

// Characters of a task description shown in a list row; read whenever a row is drawn.
extern int taskDescriptionPreviewLimit;

// The base URL fixed at build time (the ONDREL_SERVICE_URL cache variable).
QString builtInServiceURL();

// The base URL to use: ONDREL_SERVICE_URL from the environment when set, the built-in one
// otherwise. A value that is not an absolute URL without a trailing slash, https or (for this
// machine only, see ServiceAddress) http, is refused.
ServiceURLResult serviceURL();

// Checks one candidate text; `source` names where it came from, for the error line.
ServiceURLResult parseServiceURL(const QString& text, const QString& source);

// The description as one line of at most `limit` characters plus "…"; absent when there is
// nothing to show. A limit below 1 means no limit.
std::optional<QString> descriptionPreview(const std::optional<QString>& text, int limit);

} // namespace AppConfig
