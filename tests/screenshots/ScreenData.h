#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QList>

// The fixed data set the screenshots show: three folders (the inbox is a system folder) and
// tasks with every fact a card can show.
namespace ScreenData {

QList<Folder> folders();
// The inbox's tasks: active ones (one overdue, one with a checklist, one repeating, one with
// tags) and two done ones.
QList<TaskItem> tasks();

} // namespace ScreenData
