#pragma once

#include <QString>

#include <algorithm>

// Spaces of any kind (no-break, em, ideographic...) and tabs, but not line breaks.
inline bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// A line left blank: nothing but horizontal space. Line breaks count as content, as typed.
inline bool isBlankLine(const QString& text) {
    return std::all_of(text.begin(), text.end(), isHorizontalSpace);
}
