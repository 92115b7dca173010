#pragma once

#include <QString>

#include <algorithm>

// A line left blank: nothing but spaces and tabs. Line breaks count as content, as typed.
inline bool isBlankLine(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}
