#pragma once

#include "OndrelCore/json/JSONDecoder.h"
#include "OndrelCore/json/JSONEncoder.h"

// The one place the program's JSON coding lives: every body is encoded and every answer
// decoded through these two shared, stateless coders.
namespace ODJSON {
const JSONDecoder& decoder();
const JSONEncoder& encoder();
} // namespace ODJSON
