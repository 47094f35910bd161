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
//
// The page reads some values as strings that hold a document's JSON text: a
// nested writer (NestedWriter) writes such a document straight into the
// outer writer's output, escaped as it goes (DocumentString), instead of
// into a text of its own that is then escaped again.
#include <cstddef>
#include <optional>
#include <utility>

#include "PK/UniString.hpp"
#include "Util/Json.hpp"

namespace TessaryConnect::Json {

using Utf16 = rapidjson::UTF16<char16_t>;
using Utf16Buffer = rapidjson::GenericStringBuffer<Utf16>;

namespace Detail {

// The text of a document that is a string value of another writer
// (Writer::DocumentString): each character goes into that writer's buffer
// escaped as a string's content is, once for every level of nesting.
class EscapedOutput {
public:
    using Ch = char16_t;

    EscapedOutput(Utf16Buffer& buffer, int level) : _buffer(buffer), _level(level) {}
    int Level() const { return _level; }
    void Put(Ch c) { PutOne<&Utf16Buffer::Put>(c); }
    void PutUnsafe(Ch c) { PutOne<&Utf16Buffer::PutUnsafe>(c); }
    // Room for count characters put with PutUnsafe, each escaped into at most seven.
    void Reserve(std::size_t count) {
        if (_level == 1) _buffer.Reserve(count * 7);
    }
    void Flush() {}

private:
    // A document one level deep, the common case, has its characters put
    // straight into the buffer: as they are, or a quote or backslash after a
    // backslash (every key and string of the document starts and ends with a
    // quote).
    template <void (Utf16Buffer::*put)(Ch)>
    void PutOne(Ch c) {
        if (_level == 1) {
            if (AsItIs(c)) return (_buffer.*put)(c);
            if (IsQuoteOrBackslash(c)) {
                (_buffer.*put)(u'\\');
                return (_buffer.*put)(c);
            }
        }
        PutContent(_level, c);
    }
    static bool IsQuoteOrBackslash(Ch c) { return c == u'"' || c == u'\\'; }
    static bool AsItIs(Ch c) {
        // One test for most characters: all above the backslash but the separators.
        return c > u'\\' ? (c & 0xFFFEu) != 0x2028u : c >= 0x20 && c != u'"' && c != u'\\';
    }
    // A character of a document written at this level (1 or more), escaped
    // by characters put one level out; never with PutUnsafe.
    void PutContent(int level, Ch c);
    void PutAt(int level, Ch c) {
        if (level == 0)
            _buffer.Put(c);
        else
            PutContent(level, c);
    }

    Utf16Buffer& _buffer;
    int _level;
};

// RapidJSON's writer reserves and puts through these; found by argument lookup.
inline void PutReserve(EscapedOutput& output, std::size_t count) { output.Reserve(count); }
inline void PutUnsafe(EscapedOutput& output, char16_t c) { output.PutUnsafe(c); }

// RapidJSON's writer, with a string value whose content the caller puts into the output itself.
template <typename Output>
class RapidWriter : public rapidjson::Writer<Output, Utf16, Utf16> {
    using Base = rapidjson::Writer<Output, Utf16, Utf16>;

public:
    explicit RapidWriter(Output& output) : Base(output) {}
    void OpenString() {
        this->Prefix(rapidjson::kStringType);
        this->os_->Put(u'"');
    }
    bool CloseString() {
        this->os_->Put(u'"');
        return this->EndValue(true);
    }
};

}  // namespace Detail

class Writer {
public:
    Writer() = default;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool StartObject() {
        return Write([](auto& writer) { return writer.StartObject(); });
    }
    bool EndObject() {
        return Write([](auto& writer) { return writer.EndObject(); });
    }
    bool StartArray() {
        return Write([](auto& writer) { return writer.StartArray(); });
    }
    bool EndArray() {
        return Write([](auto& writer) { return writer.EndArray(); });
    }
    bool Null() {
        return Write([](auto& writer) { return writer.Null(); });
    }
    // An ASCII key literal.
    template <std::size_t N>
    bool Key(const char (&key)[N]) {
        static_assert(N > 0, "a key literal ends with its terminating zero");
        char16_t wide[N];
        for (std::size_t i = 0; i + 1 < N; ++i) {
            RAPIDJSON_ASSERT(static_cast<unsigned char>(key[i]) < 0x80);
            wide[i] = static_cast<char16_t>(key[i]);
        }
        return Write([&](auto& writer) { return writer.Key(wide, static_cast<rapidjson::SizeType>(N - 1)); });
    }
    // A key that is data, such as a property name.
    bool Key(const PK::UniString& key);
    bool String(const PK::UniString& text);

    // Copies a JSON object text into the output unchanged, without reading it.
    bool RawObject(const PK::UniString& json);

    // A writer for documents that are to be string values of this writer
    // (DocumentString); one serves any number of them.
    Writer NestedWriter() { return Writer(*this); }
    // Writes a document as a string value: the same text as writing the
    // document on its own and then its text with String, made in one pass
    // straight into this writer's output. write() writes the document into
    // nested, which NestedWriter of this writer made.
    template <typename WriteDocument>
    bool DocumentString(Writer& nested, WriteDocument&& write) {
        Write([](auto& writer) {
            writer.OpenString();
            return true;
        });
        nested._escaped->Reset(*nested._escapedOutput);
        write();
        return Write([](auto& writer) { return writer.CloseString(); });
    }

    // Everything written so far.
    PK::UniString GetText() const;

private:
    // One level deeper than outer, into its buffer.
    explicit Writer(Writer& outer)
        : _escapedOutput(std::in_place, *outer._target, outer._escapedOutput ? outer._escapedOutput->Level() + 1 : 1),
          _escaped(std::in_place, *_escapedOutput),
          _target(outer._target) {}

    // A document of its own is written straight into the buffer, as RapidJSON
    // alone would write it; only a nested one goes through the escaping output.
    template <typename Call>
    bool Write(Call&& call) {
        return _escaped ? call(*_escaped) : call(_plain);
    }

    Utf16Buffer _buffer;
    Detail::RapidWriter<Utf16Buffer> _plain{_buffer};
    std::optional<Detail::EscapedOutput> _escapedOutput;
    std::optional<Detail::RapidWriter<Detail::EscapedOutput>> _escaped;
    Utf16Buffer* _target = &_buffer;  // where the text goes: this writer's buffer or the outermost one's
};

// The JSON text of a value that writes itself with value.Write(writer).
template <typename Value>
PK::UniString ToText(const Value& value) {
    Writer writer;
    value.Write(writer);
    return writer.GetText();
}

}  // namespace TessaryConnect::Json
