#include "Util/JsonWriter.hpp"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace TessaryConnect::Json {

namespace {
constexpr char16_t LineSeparator = u'\u2028';
constexpr char16_t ParagraphSeparator = u'\u2029';

constexpr bool IsSeparator(char16_t c) { return (c & 0xFFFEu) == LineSeparator; }
static_assert(IsSeparator(LineSeparator) && IsSeparator(ParagraphSeparator) && !IsSeparator(u'\u202A'));

// Every document passes through here once, so the text is tested a block at
// a time, in a loop without an exit that the compiler turns into vector
// instructions.
bool HasSeparator(std::u16string_view text) {
    constexpr std::size_t block = 64;
    std::size_t i = 0;
    for (; i + block <= text.size(); i += block) {
        unsigned found = 0;
        for (std::size_t j = i; j < i + block; ++j) found |= IsSeparator(text[j]) ? 1u : 0u;
        if (found != 0) return true;
    }
    for (; i < text.size(); ++i)
        if (IsSeparator(text[i])) return true;
    return false;
}
}  // namespace

// As a string's content: the character as it is, or its escape, each
// character of which then goes one level out. A separator is first written
// as its escape, as GetText writes it into a document's text. The writer
// escapes control characters in every string it writes, so none comes here
// raw; one would be written as RapidJSON writes those it has no short escape for.
void Detail::EscapedOutput::PutContent(int level, Ch c) {
    if (AsItIs(c)) {
        PutAt(level - 1, c);
    } else if (IsSeparator(c)) {
        for (Ch escaped : std::u16string_view(c == LineSeparator ? u"\\u2028" : u"\\u2029")) PutContent(level, escaped);
    } else if (c >= 0x20) {
        PutAt(level - 1, u'\\');
        PutAt(level - 1, c);
    } else {
        static constexpr char16_t hexDigits[] = u"0123456789ABCDEF";
        for (Ch unit : {u'\\', u'u', u'0', u'0', hexDigits[c >> 4], hexDigits[c & 0xF]}) PutAt(level - 1, unit);
    }
}

bool Writer::Key(const PK::UniString& key) {
    return Write([&](auto& writer) {
        return writer.Key(key.ToUStr().data(), static_cast<rapidjson::SizeType>(key.GetLength()));
    });
}

bool Writer::String(const PK::UniString& text) {
    return Write([&](auto& writer) {
        return writer.String(text.ToUStr().data(), static_cast<rapidjson::SizeType>(text.GetLength()));
    });
}

bool Writer::RawObject(const PK::UniString& json) {
    return Write(
        [&](auto& writer) { return writer.RawValue(json.ToUStr().data(), json.GetLength(), rapidjson::kObjectType); });
}

// Outside strings JSON has no place for the separators, so every one in the
// output is string content and can be written as its escape.
PK::UniString Writer::GetText() const {
    const std::u16string_view written(_buffer.GetString(), _buffer.GetSize() / sizeof(char16_t));
    if (!HasSeparator(written)) return PK::UniString(std::u16string(written));
    std::u16string text;
    text.reserve(written.size() + 16);
    for (char16_t c : written) {
        if (!IsSeparator(c))
            text += c;
        else
            text += c == LineSeparator ? u"\\u2028" : u"\\u2029";
    }
    return PK::UniString(std::move(text));
}

}  // namespace TessaryConnect::Json
