#pragma once
// The add-on's JSON writer: compact RapidJSON output into a UTF-16 buffer the
// writer owns, read back as a PK::UniString of exactly the code units written.
//
//     Json::Writer writer;
//     writer.StartObject();
//     writer.Key("name");
//     writer.String(name);
//     writer.EndObject();
//     return writer.GetText();
//
// Texts are escaped as RapidJSON escapes them, and U+2028 and U+2029 are
// written as \u2028 and \u2029 as well: the page receives these documents
// inside script expressions, where a raw line or paragraph separator ends the
// string literal and the script with it.
#include <cstddef>

#include "PK/UniString.hpp"
#include "Util/Json.hpp"

namespace TessaryConnect::Json {

using Utf16 = rapidjson::UTF16<char16_t>;
using Utf16Buffer = rapidjson::GenericStringBuffer<Utf16>;

namespace Detail {
// Built before the RapidJSON writer that writes into it.
struct WriterBuffer {
    Utf16Buffer buffer;
};
}  // namespace Detail

class Writer : private Detail::WriterBuffer, public rapidjson::Writer<Utf16Buffer, Utf16, Utf16> {
    using Base = rapidjson::Writer<Utf16Buffer, Utf16, Utf16>;

public:
    Writer() : Base(buffer) {}

    // An ASCII key literal.
    template <std::size_t N>
    bool Key(const char (&key)[N]) {
        static_assert(N > 0, "a key literal ends with its terminating zero");
        char16_t wide[N];
        for (std::size_t i = 0; i + 1 < N; ++i) {
            RAPIDJSON_ASSERT(static_cast<unsigned char>(key[i]) < 0x80);
            wide[i] = static_cast<char16_t>(key[i]);
        }
        return Base::Key(wide, static_cast<rapidjson::SizeType>(N - 1));
    }
    // A key that is data, such as a property name.
    bool Key(const PK::UniString& key);

    using Base::String;
    bool String(const PK::UniString& text);

    // Copies a JSON object text into the output unchanged, without reading it.
    bool RawObject(const PK::UniString& json);

    // Everything written so far.
    PK::UniString GetText() const;
};

// The JSON text of a value that writes itself with value.Write(writer).
template <typename Value>
PK::UniString ToText(const Value& value) {
    Writer writer;
    value.Write(writer);
    return writer.GetText();
}

}  // namespace TessaryConnect::Json
