#include "OndrelCore/JSONCodec.h"

#include <boost/json/parse.hpp>

#include <charconv>
#include <cmath>

namespace JSONCoding {

QString render(const CodingPath* path) {
    QList<const CodingPath*> chain;
    for (; path; path = path->parent)
        chain.prepend(path);
    QString text;
    for (const CodingPath* step : chain) {
        if (step->index >= 0) {
            text += u'[' + QString::number(step->index) + u']';
        } else {
            if (!text.isEmpty())
                text += u'.';
            text += QString::fromUtf8(step->key.data(), qsizetype(step->key.size()));
        }
    }
    return text;
}

void fail(DecodingError::Kind kind, const CodingPath* path, const QString& description) {
    throw DecodingError(kind, render(path), description);
}

namespace {
const char* kindName(const json::value& value) {
    switch (value.kind()) {
    case json::kind::null:
        return "null";
    case json::kind::bool_:
        return "логическое значение";
    case json::kind::int64:
    case json::kind::uint64:
        return "целое число";
    case json::kind::double_:
        return "дробное число";
    case json::kind::string:
        return "строка";
    case json::kind::array:
        return "массив";
    case json::kind::object:
        return "объект";
    }
    return "?";
}
} // namespace

void typeMismatch(const CodingPath* path, const char* expected, const json::value& got) {
    fail(DecodingError::Kind::typeMismatch, path,
         QStringLiteral("Ожидалось: %1, получено: %2")
             .arg(QString::fromUtf8(expected), QString::fromUtf8(kindName(got))));
}

json::value parseDocument(QByteArrayView bytes, json::storage_ptr storage) {
    boost::system::error_code error;
    json::value root = json::parse(json::string_view(bytes.data(), std::size_t(bytes.size())),
                                   error, std::move(storage));
    if (error)
        throw DecodingError(DecodingError::Kind::dataCorrupted, QString(),
                            QStringLiteral("Ответ не является корректным JSON: %1")
                                .arg(QString::fromStdString(error.message())));
    return root;
}

void Codec<qint64>::read(const json::value& value, qint64& out, const CodingPath* path) {
    if (const auto* number = value.if_int64()) {
        out = *number;
    } else if (const auto* big = value.if_uint64()) {
        fail(DecodingError::Kind::dataCorrupted, path,
             QStringLiteral("Число %1 не помещается в 64-битное целое").arg(*big));
    } else if (const auto* real = value.if_double();
               real && std::trunc(*real) == *real && std::fabs(*real) <= 9007199254740992.0) {
        out = qint64(*real);
    } else {
        typeMismatch(path, "целое число", value);
    }
}

void Codec<double>::read(const json::value& value, double& out, const CodingPath* path) {
    if (const auto* real = value.if_double())
        out = *real;
    else if (const auto* number = value.if_int64())
        out = double(*number);
    else if (const auto* big = value.if_uint64())
        out = double(*big);
    else
        typeMismatch(path, "число", value);
}

void Codec<Instant>::read(const json::value& value, Instant& out, const CodingPath* path) {
    const json::string* text = value.if_string();
    if (!text)
        typeMismatch(path, "строка с датой", value);
    const auto parsed = Instant::fromISO8601(std::string_view(text->data(), text->size()));
    if (!parsed)
        fail(DecodingError::Kind::dataCorrupted, path,
             QStringLiteral("Некорректная дата: ") +
                 QString::fromUtf8(text->data(), qsizetype(text->size())));
    out = *parsed;
}

void Writer::key(std::string_view name) {
    m_out.push_back('"');
    m_out.append(name.data(), qsizetype(name.size()));
    m_out.append("\":", 2);
}

void Writer::integer(qint64 value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, qsizetype(result.ptr - buffer));
}

void Writer::number(double value) {
    if (!std::isfinite(value))
        throw EncodingError(QStringLiteral("Число %1 нельзя записать в JSON").arg(value));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, qsizetype(result.ptr - buffer));
}

void Writer::latin1(std::string_view ascii) {
    m_out.push_back('"');
    m_out.append(ascii.data(), qsizetype(ascii.size()));
    m_out.push_back('"');
}

// Writes UTF-8 straight from UTF-16; a lone surrogate becomes U+FFFD.
void Writer::string(QStringView value) {
    static constexpr char hex[] = "0123456789abcdef";
    m_out.reserve(m_out.size() + value.size() + 2);
    m_out.push_back('"');
    const char16_t* it = value.utf16();
    const char16_t* end = it + value.size();
    while (it != end) {
        char32_t code = *it++;
        if (code < 0x80) {
            const char c = char(code);
            if (c == '"' || c == '\\') {
                m_out.push_back('\\');
                m_out.push_back(c);
            } else if (code < 0x20) {
                const char* shortForm = code == '\n'   ? "\\n"
                                        : code == '\r' ? "\\r"
                                        : code == '\t' ? "\\t"
                                        : code == '\b' ? "\\b"
                                        : code == '\f' ? "\\f"
                                                       : nullptr;
                if (shortForm) {
                    m_out.append(shortForm, 2);
                } else {
                    const char escaped[] = {'\\', 'u', '0', '0', hex[code >> 4], hex[code & 15]};
                    m_out.append(escaped, 6);
                }
            } else {
                m_out.push_back(c);
            }
            continue;
        }
        if (QChar::isHighSurrogate(code) && it != end && QChar::isLowSurrogate(*it))
            code = QChar::surrogateToUcs4(char16_t(code), *it++);
        else if (QChar::isSurrogate(code))
            code = 0xFFFD;
        char bytes[4];
        int count = 0;
        if (code < 0x800) {
            bytes[count++] = char(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            bytes[count++] = char(0xE0 | (code >> 12));
            bytes[count++] = char(0x80 | ((code >> 6) & 0x3F));
        } else {
            bytes[count++] = char(0xF0 | (code >> 18));
            bytes[count++] = char(0x80 | ((code >> 12) & 0x3F));
            bytes[count++] = char(0x80 | ((code >> 6) & 0x3F));
        }
        bytes[count++] = char(0x80 | (code & 0x3F));
        m_out.append(bytes, count);
    }
    m_out.push_back('"');
}

} // namespace JSONCoding
