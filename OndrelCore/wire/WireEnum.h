#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

// An enumeration that travels as one exact upper-case string. Each one specialises WireEnum
// with `typeName` and `cases`, a table of (case, wire string) pairs in declaration order.
template <class E>
struct WireEnum;

template <class E>
concept WireEnumeration = requires {
    WireEnum<E>::typeName;
    WireEnum<E>::cases;
};

template <WireEnumeration E>
constexpr std::string_view wireString(E value) {
    for (const auto& [item, text] : WireEnum<E>::cases)
        if (item == value)
            return text;
    return {};
}

// Whole-string, case-sensitive match; no trimming.
template <WireEnumeration E>
constexpr std::optional<E> fromWireString(std::string_view text) {
    for (const auto& [item, wire] : WireEnum<E>::cases)
        if (wire == text)
            return item;
    return std::nullopt;
}

template <WireEnumeration E>
QString rawValue(E value) {
    const auto text = wireString(value);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

template <WireEnumeration E>
std::optional<E> fromRawValue(QStringView text) {
    for (const auto& [item, wire] : WireEnum<E>::cases)
        if (QLatin1StringView(wire.data(), qsizetype(wire.size())) == text)
            return item;
    return std::nullopt;
}

// Only the enumerations whose WireEnum sets `listsAllCases` offer allCases.
template <WireEnumeration E>
requires(WireEnum<E>::listsAllCases) constexpr auto allCases() {
    constexpr auto& table = WireEnum<E>::cases;
    std::array<E, table.size()> result{};
    for (std::size_t i = 0; i < table.size(); ++i)
        result[i] = table[i].first;
    return result;
}

template <class E>
using WireCase = std::pair<E, std::string_view>;
