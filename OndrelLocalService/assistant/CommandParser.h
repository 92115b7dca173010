#pragma once

#include "OndrelLocalService/assistant/ParsedCommand.h"

#include <QDateTime>
#include <QStringList>

// A small deterministic parser of Russian task commands. Pure: the result depends only on the
// text, on `now` (whose time zone, the account's, dates and clock times are read in) and on the
// names of the user's folders.
class CommandParser {
public:
    static ParsedCommand parse(const QString& text, const QDateTime& now,
                               const QStringList& folderNames = {});
};
