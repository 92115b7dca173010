#pragma once

#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"

#include <QString>

#include <ostream>

// Readable gtest failure messages for Qt text and for records (as their JSON).
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const TaskItem& task, std::ostream* out) {
    *out << ODJSON::encoder().encode(task).toStdString();
}

inline void PrintTo(const Folder& folder, std::ostream* out) {
    *out << ODJSON::encoder().encode(folder).toStdString();
}
