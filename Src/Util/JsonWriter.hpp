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

// Where a writer's text goes: a buffer or, for a document that is written as
// a string value of another writer (Writer::DocumentString), that writer's
// output, each character escaped as a string's content is, once per level.
class Output {
public:
    using Ch = char16_t;

    explicit Output(Utf16Buffer& buffer) : _buffer(&buffer) {}
    // One level deeper into the same buffer.
    Output Nested() const { return Output(*_buffer, _level + 1); }

    void Put(Ch c) {
        if (_level == 0)
            _buffer->Put(c);
        else
            PutContent(_level, c);
    }
    void PutUnsafe(Ch c) {
        if (_level == 0)
            _buffer->PutUnsafe(c);
        else
            PutContent(_level, c);
    }
    // Room for count characters for PutUnsafe; an escaping output checks its room itself.
    void Reserve(std::size_t count) {
        if (_level == 0) _buffer->Reserve(count);
    }
    void Flush() {}

private:
    Output(Utf16Buffer& buffer, int level) : _buffer(&buffer), _level(level) {}
    // A character of a document written at this level.
    void PutContent(int level, Ch c);
    void PutAt(int level, Ch c) {
        if (level == 0)
            _buffer->Put(c);
        else
            PutContent(level, c);
    }

    Utf16Buffer* _buffer;
    int _level = 0;
};

// RapidJSON's writer reserves and puts through these; found by argument lookup.
inline void PutReserve(Output& output, std::size_t count) { output.Reserve(count); }
inline void PutUnsafe(Output& output, char16_t c) { output.PutUnsafe(c); }

namespace Detail {
// Built before the RapidJSON writer that writes into it.
struct WriterOutput {
    WriterOutput() : output(buffer) {}
    explicit WriterOutput(const Output& outer) : output(outer.Nested()) {}

    Utf16Buffer buffer;
    Output output;
};
}  // namespace Detail

class Writer : private Detail::WriterOutput, public rapidjson::Writer<Output, Utf16, Utf16> {
    using Base = rapidjson::Writer<Output, Utf16, Utf16>;

public:
    Writer() : Base(output) {}

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

    // A writer for documents that are to be string values of this writer
    // (DocumentString); one serves any number of them.
    Writer NestedWriter() const { return Writer(Nested{output}); }
    // Writes a document as a string value: the same text as writing the
    // document on its own and then its text with String, made in one pass
    // straight into this writer's output. write() writes the document into
    // nested, which NestedWriter of this writer made.
    template <typename Write>
    bool DocumentString(Writer& nested, Write&& write) {
        Prefix(rapidjson::kStringType);
        output.Put(u'"');
        nested.Reset(nested.output);
        write();
        output.Put(u'"');
        return EndValue(true);
    }

    // Everything written so far.
    PK::UniString GetText() const;

private:
    struct Nested {
        const Output& outer;
    };
    explicit Writer(Nested nested) : WriterOutput(nested.outer), Base(output) {}
};

// The JSON text of a value that writes itself with value.Write(writer).
template <typename Value>
PK::UniString ToText(const Value& value) {
    Writer writer;
    value.Write(writer);
    return writer.GetText();
}

}  // namespace TessaryConnect::Json
