#pragma once

// The generic JSON codec. Heavy: include it only in .cpp files that instantiate the coders
// for their own described types (ODJSON.cpp does so for every wire type).

#include "OndrelCore/DecodingError.h"
#include "OndrelCore/EncodingError.h"
#include "OndrelCore/Instant.h"
#include "OndrelCore/JSONDecoder.h"
#include "OndrelCore/JSONEncoder.h"
#include "OndrelCore/WireEnum.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <boost/describe/members.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/value.hpp>
#include <boost/mp11/algorithm.hpp>

#include <array>
#include <cstdint>

#include <optional>
#include <string_view>
#include <type_traits>

namespace JSONCoding {

namespace json = boost::json;

// The coding path as a chain of stack frames; it is only turned into text when decoding fails.
struct CodingPath {
    const CodingPath* parent = nullptr;
    std::string_view key;
    qsizetype index = -1;
};

QString render(const CodingPath* path);
[[noreturn]] void fail(DecodingError::Kind kind, const CodingPath* path,
                       const QString& description);
[[noreturn]] void typeMismatch(const CodingPath* path, const char* expected,
                               const json::value& got);
json::value parseDocument(QByteArrayView bytes, json::storage_ptr storage);

// Appends compact JSON to a buffer.
class Writer {
public:
    void beginObject() { m_out.push_back('{'); }
    void endObject() { m_out.push_back('}'); }
    void beginArray() { m_out.push_back('['); }
    void endArray() { m_out.push_back(']'); }
    void comma() { m_out.push_back(','); }
    void key(std::string_view name);
    void boolean(bool value) { m_out.append(value ? "true" : "false"); }
    void integer(qint64 value);
    void number(double value);
    void string(QStringView value);
    void latin1(std::string_view ascii);
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class T, class Enable = void>
struct Codec;

template <class T>
void readValue(const json::value& value, T& out, const CodingPath* path) {
    if constexpr (IsOptional<T>::value) {
        if (value.is_null()) {
            out.reset();
        } else {
            out.emplace();
            readValue(value, *out, path);
        }
    } else {
        if (value.is_null())
            fail(DecodingError::Kind::valueNotFound, path,
                 QStringLiteral("Значение отсутствует (null)"));
        Codec<T>::read(value, out, path);
    }
}

template <class T>
void writeValue(Writer& writer, const T& value) {
    if constexpr (IsOptional<T>::value)
        writeValue(writer, *value); // callers leave empty optionals out
    else
        Codec<T>::write(writer, value);
}

template <>
struct Codec<QString> {
    static void read(const json::value& value, QString& out, const CodingPath* path) {
        const json::string* text = value.if_string();
        if (!text)
            typeMismatch(path, "строка", value);
        out = QString::fromUtf8(text->data(), qsizetype(text->size()));
    }
    static void write(Writer& writer, const QString& value) { writer.string(value); }
};

template <>
struct Codec<bool> {
    static void read(const json::value& value, bool& out, const CodingPath* path) {
        const bool* flag = value.if_bool();
        if (!flag)
            typeMismatch(path, "логическое значение", value);
        out = *flag;
    }
    static void write(Writer& writer, bool value) { writer.boolean(value); }
};

template <>
struct Codec<qint64> {
    static void read(const json::value& value, qint64& out, const CodingPath* path);
    static void write(Writer& writer, qint64 value) { writer.integer(value); }
};

template <>
struct Codec<double> {
    static void read(const json::value& value, double& out, const CodingPath* path);
    static void write(Writer& writer, double value) { writer.number(value); }
};

template <>
struct Codec<Instant> {
    static void read(const json::value& value, Instant& out, const CodingPath* path);
    static void write(Writer& writer, const Instant& value) { writer.latin1(value.toISO8601()); }
};

template <class E>
struct Codec<E, std::enable_if_t<WireEnumeration<E>>> {
    static void read(const json::value& value, E& out, const CodingPath* path) {
        const json::string* text = value.if_string();
        if (!text)
            typeMismatch(path, "строка", value);
        const auto found = fromWireString<E>(std::string_view(text->data(), text->size()));
        if (!found)
            fail(DecodingError::Kind::dataCorrupted, path,
                 QStringLiteral("Неизвестное значение %1: \"%2\"")
                     .arg(QLatin1StringView(WireEnum<E>::typeName.data(),
                                            qsizetype(WireEnum<E>::typeName.size())),
                          QString::fromUtf8(text->data(), qsizetype(text->size()))));
        out = *found;
    }
    static void write(Writer& writer, E value) { writer.latin1(wireString(value)); }
};

template <class T>
struct Codec<QList<T>> {
    static void read(const json::value& value, QList<T>& out, const CodingPath* path) {
        const json::array* items = value.if_array();
        if (!items)
            typeMismatch(path, "массив", value);
        out.clear();
        out.reserve(qsizetype(items->size()));
        qsizetype index = 0;
        for (const json::value& item : *items) {
            const CodingPath child{path, {}, index++};
            readValue(item, out.emplace_back(), &child);
        }
    }
    static void write(Writer& writer, const QList<T>& values) {
        writer.beginArray();
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                writer.comma();
            writeValue(writer, values[i]);
        }
        writer.endArray();
    }
};

template <class T>
struct Codec<T, std::enable_if_t<boost::describe::has_describe_members<T>::value>> {
    using Members = boost::describe::describe_members<T, boost::describe::mod_public>;

    static constexpr std::size_t count = boost::mp11::mp_size<Members>::value;
    static_assert(count <= 64, "the seen-set is one 64-bit word");

    static constexpr std::array<std::string_view, count> names = [] {
        std::array<std::string_view, count> result{};
        std::size_t i = 0;
        boost::mp11::mp_for_each<Members>([&](auto member) { result[i++] = member.name; });
        return result;
    }();

    // Walks the object's members once. Services send keys in declaration order, so the member
    // after the previous match is tried first; unknown keys are skipped.
    static void read(const json::value& value, T& out, const CodingPath* path) {
        const json::object* object = value.if_object();
        if (!object)
            typeMismatch(path, "объект", value);
        std::uint64_t seen = 0;
        std::size_t next = 0;
        for (const json::key_value_pair& entry : *object) {
            const std::string_view key(entry.key().data(), entry.key().size());
            std::size_t index = next < count && names[next] == key ? next : find(key);
            if (index == count)
                continue;
            seen |= std::uint64_t(1) << index;
            next = index + 1;
            boost::mp11::mp_with_index<count>(index, [&](auto I) {
                using Member = boost::mp11::mp_at_c<Members, I>;
                const CodingPath child{path, Member::name};
                readValue(entry.value(), out.*Member::pointer, &child);
            });
        }
        if (seen == (count == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << count) - 1))
            return;
        boost::mp11::mp_for_each<boost::mp11::mp_iota_c<count>>([&](auto I) {
            using Member = boost::mp11::mp_at_c<Members, I>;
            auto& field = out.*Member::pointer;
            using Field = std::remove_cvref_t<decltype(field)>;
            if (seen & (std::uint64_t(1) << I))
                return;
            if constexpr (IsOptional<Field>::value) {
                field.reset();
            } else {
                const CodingPath child{path, Member::name};
                fail(DecodingError::Kind::keyNotFound, &child,
                     QStringLiteral("Нет значения для ключа %1")
                         .arg(QLatin1StringView(Member::name)));
            }
        });
    }

    static std::size_t find(std::string_view key) {
        for (std::size_t i = 0; i < count; ++i)
            if (names[i] == key)
                return i;
        return count;
    }

    static void write(Writer& writer, const T& value) {
        writer.beginObject();
        bool first = true;
        boost::mp11::mp_for_each<Members>([&](auto member) {
            const auto& field = value.*member.pointer;
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (IsOptional<Field>::value) {
                if (!field)
                    return;
            }
            if (!first)
                writer.comma();
            first = false;
            writer.key(member.name);
            writeValue(writer, field);
        });
        writer.endObject();
    }
};

} // namespace JSONCoding

template <class T>
T JSONDecoder::decode(QByteArrayView bytes) const {
    unsigned char arena[4096];
    boost::json::monotonic_resource resource(arena, sizeof arena);
    const boost::json::value root = JSONCoding::parseDocument(bytes, &resource);
    T result{};
    JSONCoding::readValue(root, result, nullptr);
    return result;
}

template <class T>
QByteArray JSONEncoder::encode(const T& value) const {
    JSONCoding::Writer writer;
    JSONCoding::writeValue(writer, value);
    return writer.take();
}
