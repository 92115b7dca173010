#pragma once

#include "OndrelLocalService/http/HttpReply.h"

// The answers of the HTTP layer itself, given before any route runs. Each closes the
// connection except bodyTooLarge, which the router gives too.
namespace Refusals {
HttpReply badRequest();
HttpReply missingHost();
HttpReply foreignHost();
HttpReply targetTooLong();
HttpReply headersTooLarge();
HttpReply bodyTooLarge();
HttpReply busy();
} // namespace Refusals
