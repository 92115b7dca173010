#pragma once

#include <QString>

// Fresh identifiers: record ids are random UUIDs, tokens 256 random bits from the system's
// secure source, written base64url so they travel in a URL query untouched.
namespace Identifiers {
QString recordId();
QString token();
} // namespace Identifiers
