#pragma once

#include <QByteArrayView>

#include <algorithm>

// The Idempotency-Key a resent request carries: 1 to 64 letters, digits, '-' and '_', which a
// UUID's text is. The client sends nothing else and the service takes nothing else.
namespace IdempotencyKey {

constexpr qsizetype maxLength = 64;

inline bool isUsable(QByteArrayView key) {
    return !key.isEmpty() && key.size() <= maxLength &&
           std::all_of(key.begin(), key.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
           });
}

} // namespace IdempotencyKey
