#pragma once

#include "OndrelLocalService/state/ServiceStore.h"

// The new account's starting data: the system inbox "Входящие" always, and with `samples` a
// few folders and tasks so that a fresh client has something to show.
namespace DemoSeed {
void populate(ServiceStore& store, const QString& userId, bool samples);
} // namespace DemoSeed
