#pragma once

#include <QString>

#include <optional>

// The longest text the service stores in each kind of field, in UTF-16 code units. Longer text
// is refused with 400 naming the field, before anything is stored.
namespace TextLimits {
// Task titles and folder names.
inline constexpr qsizetype title = 1'000;
inline constexpr qsizetype description = 100'000;
inline constexpr qsizetype recurrence = 1'000;
inline constexpr qsizetype identifier = 200;
// A command typed or said to the assistant; its words may become a title or a name.
inline constexpr qsizetype command = title;

void check(const QString& field, const QString& text, qsizetype limit);
void check(const QString& field, const std::optional<QString>& text, qsizetype limit);
} // namespace TextLimits
