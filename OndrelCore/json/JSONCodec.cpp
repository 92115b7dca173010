#include "OndrelCore/json/JSONCodec.h"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/error.hpp>

#include <exception>
#include <string>
#include <vector>

#include <charconv>
#include <cmath>

namespace JSONCoding {

// The event handler of Boost.JSON's basic_parser. Failures are kept and rethrown after the
// parser returns, so no exception crosses the parser.
class Context {
    using error_code = boost::system::error_code;
    using string_view = boost::json::string_view;

public:
    static constexpr std::size_t max_object_size = std::size_t(-1);
    static constexpr std::size_t max_array_size = std::size_t(-1);
    static constexpr std::size_t max_key_size = std::size_t(-1);
    static constexpr std::size_t max_string_size = std::size_t(-1);

    explicit Context(Slot root) : m_root(root) {}

    std::exception_ptr failure;

    QString path(std::size_t frameCount) const {
        QString text;
        for (std::size_t i = 0; i < frameCount; ++i) {
            const Frame& frame = m_frames[i];
            if (frame.isArray) {
                text += u'[' + QString::number(frame.index) + u']';
            } else {
                if (!text.isEmpty())
                    text += u'.';
                text += QString::fromUtf8(frame.key.data(), qsizetype(frame.key.size()));
            }
        }
        return text;
    }
    std::size_t depth() const { return m_frames.size(); }

    bool on_document_begin(error_code&) { return true; }
    bool on_document_end(error_code&) { return true; }
    bool on_object_begin(error_code& ec) {
        return guarded(ec, [&] { begin(false); });
    }
    bool on_object_end(std::size_t, error_code& ec) {
        return guarded(ec, [&] {
            if (m_skipDepth > 0) {
                --m_skipDepth;
                return;
            }
            Frame& top = m_frames.back();
            top.slot.ops->endObject(top, *this);
            m_frames.pop_back();
        });
    }
    bool on_array_begin(error_code& ec) {
        return guarded(ec, [&] { begin(true); });
    }
    bool on_array_end(std::size_t, error_code& ec) {
        return guarded(ec, [&] {
            if (m_skipDepth > 0)
                --m_skipDepth;
            else
                m_frames.pop_back();
        });
    }
    bool on_key_part(string_view part, std::size_t, error_code&) {
        m_buffer.append(part.data(), part.size());
        return true;
    }
    bool on_key(string_view part, std::size_t, error_code& ec) {
        return guarded(ec, [&] {
            const std::string_view key = whole(part);
            if (m_skipDepth == 0) {
                Frame& top = m_frames.back();
                top.pending = top.slot.ops->member(top, key);
            }
            m_buffer.clear();
        });
    }
    bool on_string_part(string_view part, std::size_t, error_code&) {
        if (m_skipDepth == 0)
            m_buffer.append(part.data(), part.size());
        return true;
    }
    bool on_string(string_view part, std::size_t, error_code& ec) {
        return guarded(ec, [&] {
            Scalar value{.kind = Scalar::Kind::string};
            value.string = whole(part);
            put(value);
            m_buffer.clear();
        });
    }
    bool on_number_part(string_view part, error_code&) {
        if (m_skipDepth == 0)
            m_buffer.append(part.data(), part.size());
        return true;
    }
    bool on_int64(std::int64_t number, string_view, error_code& ec) {
        m_buffer.clear();
        return guarded(ec, [&] { put({.kind = Scalar::Kind::int64, .int64 = number}); });
    }
    bool on_uint64(std::uint64_t number, string_view, error_code& ec) {
        m_buffer.clear();
        return guarded(ec, [&] { put({.kind = Scalar::Kind::uint64, .uint64 = number}); });
    }
    // The number's text goes along: a double field reads it itself (see Codec<double>).
    bool on_double(double number, string_view part, error_code& ec) {
        return guarded(ec, [&] {
            Scalar value{.kind = Scalar::Kind::real, .real = number};
            value.string = whole(part);
            put(value);
            m_buffer.clear();
        });
    }
    bool on_bool(bool flag, error_code& ec) {
        return guarded(ec, [&] { put({.kind = Scalar::Kind::boolean, .boolean = flag}); });
    }
    bool on_null(error_code& ec) {
        return guarded(ec, [&] { put({.kind = Scalar::Kind::null}); });
    }
    bool on_comment_part(string_view, error_code&) { return true; }
    bool on_comment(string_view, error_code&) { return true; }

private:
    template <class F>
    bool guarded(error_code& ec, F&& step) {
        try {
            step();
            return true;
        } catch (...) {
            failure = std::current_exception();
            ec = boost::json::error::exception;
            return false;
        }
    }

    std::string_view whole(string_view last) {
        if (m_buffer.empty())
            return {last.data(), last.size()};
        m_buffer.append(last.data(), last.size());
        return m_buffer;
    }

    // The slot the next value fills: the root, the next element, or the member just named.
    Slot next() {
        if (m_frames.empty())
            return m_root;
        Frame& top = m_frames.back();
        return top.isArray ? top.slot.ops->element(top) : top.pending;
    }

    void begin(bool array) {
        if (m_skipDepth > 0) {
            ++m_skipDepth;
            return;
        }
        const Slot slot = next();
        if (!slot.ops) {
            m_skipDepth = 1;
            return;
        }
        Frame frame;
        if (array)
            slot.ops->beginArray(slot.target, frame, *this);
        else
            slot.ops->beginObject(slot.target, frame, *this);
        m_frames.push_back(frame);
    }

    void put(const Scalar& value) {
        if (m_skipDepth > 0)
            return;
        const Slot slot = next();
        if (slot.ops)
            slot.ops->scalar(slot.target, value, *this);
    }

    Slot m_root;
    std::vector<Frame> m_frames;
    std::string m_buffer;
    int m_skipDepth = 0;
};

void failHere(const Context& context, DecodingError::Kind kind, const QString& description) {
    throw DecodingError(kind, context.path(context.depth()), description);
}

void failMissing(const Context& context, std::string_view key) {
    QString path = context.path(context.depth() - 1);
    if (!path.isEmpty())
        path += u'.';
    const QString name = QString::fromUtf8(key.data(), qsizetype(key.size()));
    throw DecodingError(DecodingError::Kind::keyNotFound, path + name,
                        QStringLiteral("Нет значения для ключа %1").arg(name));
}

void mismatch(const Context& context, const char* expected, const char* got) {
    failHere(context, DecodingError::Kind::typeMismatch,
             QStringLiteral("Ожидалось: %1, получено: %2")
                 .arg(QString::fromUtf8(expected), QString::fromUtf8(got)));
}

void mismatch(const Context& context, const char* expected, const Scalar& got) {
    const char* names[] = {"null",        "логическое значение", "целое число",
                           "целое число", "дробное число",       "строка"};
    mismatch(context, expected, names[int(got.kind)]);
}

void parseInto(QByteArrayView bytes, Slot root) {
    boost::json::parse_options options;
    options.max_depth = 64;
    boost::json::basic_parser<Context> parser(options, root);
    boost::system::error_code error;
    const std::size_t used =
        parser.write_some(false, bytes.data(), std::size_t(bytes.size()), error);
    if (parser.handler().failure)
        std::rethrow_exception(parser.handler().failure);
    if (error || used != std::size_t(bytes.size()))
        throw DecodingError(DecodingError::Kind::dataCorrupted, QString(),
                            QStringLiteral("Ответ не является корректным JSON: %1")
                                .arg(QString::fromStdString(error ? error.message()
                                                                  : std::string("лишние данные"))));
}

void Codec<qint64>::scalar(qint64& out, const Scalar& value, Context& context) {
    switch (value.kind) {
    case Scalar::Kind::int64:
        out = value.int64;
        return;
    case Scalar::Kind::uint64:
        failHere(context, DecodingError::Kind::dataCorrupted,
                 QStringLiteral("Число %1 не помещается в 64-битное целое").arg(value.uint64));
    case Scalar::Kind::real:
        // Integral doubles (1.0, 1e3) are exact below 2^53; anything fractional is not an integer.
        if (std::trunc(value.real) == value.real && std::fabs(value.real) <= 9007199254740992.0) {
            out = qint64(value.real);
            return;
        }
        [[fallthrough]];
    default:
        mismatch(context, expected, value);
    }
}

// Boost.JSON 1.81 rounds some decimals to a neighbour of the nearest double (0.9999999999999999
// becomes 1), so the text is read again, correctly rounded. Beyond the range of double it is an
// error rather than an infinity; below it, the parser's zero stands.
void Codec<double>::scalar(double& out, const Scalar& value, Context& context) {
    switch (value.kind) {
    case Scalar::Kind::real: {
        const char* end = value.string.data() + value.string.size();
        const auto read = std::from_chars(value.string.data(), end, out);
        if (read.ec == std::errc() && read.ptr == end)
            return;
        if (!std::isfinite(value.real))
            failHere(
                context, DecodingError::Kind::dataCorrupted,
                QStringLiteral("Число %1 вне диапазона double")
                    .arg(QLatin1StringView(value.string.data(), qsizetype(value.string.size()))));
        out = value.real;
        return;
    }
    case Scalar::Kind::int64:
        out = double(value.int64);
        return;
    case Scalar::Kind::uint64:
        out = double(value.uint64);
        return;
    default:
        mismatch(context, expected, value);
    }
}

void Codec<Instant>::scalar(Instant& out, const Scalar& value, Context& context) {
    if (value.kind != Scalar::Kind::string)
        mismatch(context, expected, value);
    const auto parsed = Instant::fromISO8601(value.string);
    if (!parsed)
        failHere(context, DecodingError::Kind::dataCorrupted,
                 QStringLiteral("Некорректная дата: ") +
                     QString::fromUtf8(value.string.data(), qsizetype(value.string.size())));
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
