#pragma once

#include <QByteArray>

// Encodes a value as compact JSON: members in declaration order, empty optionals left out,
// never a null, instants as UTC text with milliseconds. Throws EncodingError.
class JSONEncoder {
public:
    template <class T>
    QByteArray encode(const T& value) const;
};
