#pragma once

// The generic JSON codec. Heavy: include it only in .cpp files that instantiate the coders
// for their own described types (ODJSON.cpp does so for every wire type).
//
// Decoding streams: Boost.JSON's event parser feeds a stack of frames, and each event fills the
// record field it belongs to through a small per-type table of functions (Ops). No document
// tree is built, so a large list costs one pass and the allocations of its own strings.

#include "OndrelCore/json/DecodingError.h"
#include "OndrelCore/json/EncodingError.h"
#include "OndrelCore/json/JSONDecoder.h"
#include "OndrelCore/json/JSONEncoder.h"
#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/WireEnum.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <boost/describe/members.hpp>
#include <boost/mp11/algorithm.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

namespace JSONCoding {

// One scalar event of the parser.
struct Scalar {
    enum class Kind { null, boolean, int64, uint64, real, string };
    Kind kind = Kind::null;
    bool boolean = false;
    std::int64_t int64 = 0;
    std::uint64_t uint64 = 0;
    double real = 0;
    std::string_view string{}; // a string's text, or a real's text as it stood in the JSON
};

struct Ops;
struct Frame;

// Where the next value goes: a typed target and the functions that fill it. No ops: skip it.
struct Slot {
    void* target = nullptr;
    const Ops* ops = nullptr;
};

// An object or array being filled.
struct Frame {
    Slot slot;
    bool isArray = false;
    std::uint64_t seen = 0; // object: members met so far
    std::size_t next = 0;   // object: the member expected after the last one met
    std::string_view key;   // object: the member being filled
    Slot pending;           // object: its slot
    qsizetype index = -1;   // array: the element being filled
};

class Context; // the parser's event handler; it knows the frames, hence the coding path

[[noreturn]] void failHere(const Context& context, DecodingError::Kind kind,
                           const QString& description);
[[noreturn]] void failMissing(const Context& context, std::string_view key);
[[noreturn]] void mismatch(const Context& context, const char* expected, const char* got);
[[noreturn]] void mismatch(const Context& context, const char* expected, const Scalar& got);
void parseInto(QByteArrayView bytes, Slot root);

struct Ops {
    void (*scalar)(void* target, const Scalar& value, Context& context);
    void (*beginObject)(void* target, Frame& frame, Context& context);
    void (*beginArray)(void* target, Frame& frame, Context& context);
    Slot (*member)(Frame& frame, std::string_view key);
    Slot (*element)(Frame& frame);
    void (*endObject)(Frame& frame, Context& context);
};

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

// Codec<T> says how T is written and which events fill it: `scalar` for scalar types,
// `beginObject`/`member`/`endObject` for records, `beginArray`/`element` for lists.
template <class T, class Enable = void>
struct Codec;

template <class T>
struct OpsFor {
    using C = Codec<T>;

    static void scalar(void* target, const Scalar& value, Context& context) {
        if (value.kind == Scalar::Kind::null)
            failHere(context, DecodingError::Kind::valueNotFound,
                     QStringLiteral("Значение отсутствует (null)"));
        if constexpr (requires { C::scalar(std::declval<T&>(), value, context); })
            C::scalar(*static_cast<T*>(target), value, context);
        else
            mismatch(context, C::expected, value);
    }
    static void beginObject(void* target, Frame& frame, Context& context) {
        if constexpr (requires { C::beginObject(std::declval<T&>(), frame, context); })
            C::beginObject(*static_cast<T*>(target), frame, context);
        else
            mismatch(context, C::expected, "объект");
    }
    static void beginArray(void* target, Frame& frame, Context& context) {
        if constexpr (requires { C::beginArray(std::declval<T&>(), frame, context); })
            C::beginArray(*static_cast<T*>(target), frame, context);
        else
            mismatch(context, C::expected, "массив");
    }
    static Slot member(Frame& frame, std::string_view key) {
        if constexpr (requires { C::member(frame, key); })
            return C::member(frame, key);
        else
            return {};
    }
    static Slot element(Frame& frame) {
        if constexpr (requires { C::element(frame); })
            return C::element(frame);
        else
            return {};
    }
    static void endObject(Frame& frame, Context& context) {
        if constexpr (requires { C::endObject(frame, context); })
            C::endObject(frame, context);
    }
    static constexpr Ops table{&scalar, &beginObject, &beginArray, &member, &element, &endObject};
};

// An optional takes null (or an absent key) as no value; anything else fills the value inside.
template <class T>
struct OpsFor<std::optional<T>> {
    static T& fill(void* target) { return static_cast<std::optional<T>*>(target)->emplace(); }
    static void scalar(void* target, const Scalar& value, Context& context) {
        if (value.kind == Scalar::Kind::null)
            static_cast<std::optional<T>*>(target)->reset();
        else
            OpsFor<T>::scalar(&fill(target), value, context);
    }
    static void beginObject(void* target, Frame& frame, Context& context) {
        OpsFor<T>::beginObject(&fill(target), frame, context);
    }
    static void beginArray(void* target, Frame& frame, Context& context) {
        OpsFor<T>::beginArray(&fill(target), frame, context);
    }
    static constexpr Ops table{&scalar, &beginObject, &beginArray, nullptr, nullptr, nullptr};
};

template <class T>
void writeValue(Writer& writer, const T& value) {
    if constexpr (IsOptional<T>::value)
        writeValue(writer, *value); // records leave empty optionals out
    else
        Codec<T>::write(writer, value);
}

template <>
struct Codec<QString> {
    static constexpr const char* expected = "строка";
    static void scalar(QString& out, const Scalar& value, Context& context) {
        if (value.kind != Scalar::Kind::string)
            mismatch(context, expected, value);
        out = QString::fromUtf8(value.string.data(), qsizetype(value.string.size()));
    }
    static void write(Writer& writer, const QString& value) { writer.string(value); }
};

template <>
struct Codec<bool> {
    static constexpr const char* expected = "логическое значение";
    static void scalar(bool& out, const Scalar& value, Context& context) {
        if (value.kind != Scalar::Kind::boolean)
            mismatch(context, expected, value);
        out = value.boolean;
    }
    static void write(Writer& writer, bool value) { writer.boolean(value); }
};

template <>
struct Codec<qint64> {
    static constexpr const char* expected = "целое число";
    static void scalar(qint64& out, const Scalar& value, Context& context);
    static void write(Writer& writer, qint64 value) { writer.integer(value); }
};

template <>
struct Codec<double> {
    static constexpr const char* expected = "число";
    static void scalar(double& out, const Scalar& value, Context& context);
    static void write(Writer& writer, double value) { writer.number(value); }
};

template <>
struct Codec<Instant> {
    static constexpr const char* expected = "строка с датой";
    static void scalar(Instant& out, const Scalar& value, Context& context);
    static void write(Writer& writer, const Instant& value) { writer.latin1(value.toISO8601()); }
};

template <class E>
struct Codec<E, std::enable_if_t<WireEnumeration<E>>> {
    static constexpr const char* expected = "строка";
    static void scalar(E& out, const Scalar& value, Context& context) {
        if (value.kind != Scalar::Kind::string)
            mismatch(context, expected, value);
        const auto found = fromWireString<E>(value.string);
        if (!found)
            failHere(
                context, DecodingError::Kind::dataCorrupted,
                QStringLiteral("Неизвестное значение %1: \"%2\"")
                    .arg(QLatin1StringView(WireEnum<E>::typeName.data(),
                                           qsizetype(WireEnum<E>::typeName.size())),
                         QString::fromUtf8(value.string.data(), qsizetype(value.string.size()))));
        out = *found;
    }
    static void write(Writer& writer, E value) { writer.latin1(wireString(value)); }
};

template <class T>
struct Codec<QList<T>> {
    static constexpr const char* expected = "массив";
    static void beginArray(QList<T>& list, Frame& frame, Context&) {
        list.clear();
        frame.slot = {&list, &OpsFor<QList<T>>::table};
        frame.isArray = true;
    }
    // The element is filled before the next one is appended, so its address stays valid.
    static Slot element(Frame& frame) {
        auto& list = *static_cast<QList<T>*>(frame.slot.target);
        ++frame.index;
        return {&list.emplace_back(), &OpsFor<T>::table};
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
    static constexpr const char* expected = "объект";
    static constexpr std::size_t count = boost::mp11::mp_size<Members>::value;
    static_assert(count <= 64, "the seen-set is one 64-bit word");

    static constexpr std::array<std::string_view, count> names = [] {
        std::array<std::string_view, count> result{};
        std::size_t i = 0;
        boost::mp11::mp_for_each<Members>([&](auto member) { result[i++] = member.name; });
        return result;
    }();

    static void beginObject(T& value, Frame& frame, Context&) {
        frame.slot = {&value, &OpsFor<T>::table};
    }

    // Services send keys in declaration order, so the member after the previous one is tried
    // first. Unknown keys get an empty slot: their values are skipped.
    static Slot member(Frame& frame, std::string_view key) {
        std::size_t index = frame.next < count && names[frame.next] == key ? frame.next : count;
        for (std::size_t i = 0; index == count && i < count; ++i)
            if (names[i] == key)
                index = i;
        if (index == count)
            return {};
        frame.seen |= std::uint64_t(1) << index;
        frame.next = index + 1;
        frame.key = names[index];
        T& value = *static_cast<T*>(frame.slot.target);
        Slot slot;
        boost::mp11::mp_with_index<count>(index, [&](auto I) {
            auto& field = value.*boost::mp11::mp_at_c<Members, I>::pointer;
            slot = {&field, &OpsFor<std::remove_cvref_t<decltype(field)>>::table};
        });
        return slot;
    }

    static void endObject(Frame& frame, Context& context) {
        if (frame.seen == (count == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << count) - 1))
            return;
        T& value = *static_cast<T*>(frame.slot.target);
        boost::mp11::mp_for_each<boost::mp11::mp_iota_c<count>>([&](auto I) {
            using Member = boost::mp11::mp_at_c<Members, I>;
            auto& field = value.*Member::pointer;
            if (frame.seen & (std::uint64_t(1) << I))
                return;
            if constexpr (IsOptional<std::remove_cvref_t<decltype(field)>>::value)
                field.reset();
            else
                failMissing(context, Member::name);
        });
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
    T result{};
    JSONCoding::parseInto(bytes, {&result, &JSONCoding::OpsFor<T>::table});
    return result;
}

template <class T>
QByteArray JSONEncoder::encode(const T& value) const {
    JSONCoding::Writer writer;
    JSONCoding::writeValue(writer, value);
    return writer.take();
}
