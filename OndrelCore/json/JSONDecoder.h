#pragma once

#include <QByteArrayView>

// Decodes one value of a record type from UTF-8 JSON bytes. Throws DecodingError.
// Stateless, so one instance serves every thread. The member template is instantiated for
// every wire type in ODJSON.cpp; other modules instantiate their own types through JSONCodec.h.
class JSONDecoder {
public:
    template <class T>
    T decode(QByteArrayView bytes) const;
};
