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

// Every document passes through here once, so four code units are tested at
// a time: a lane of x is zero exactly where the text has a separator.
bool HasSeparator(std::u16string_view text) {
    constexpr std::uint64_t lanes = 0x0001000100010001u;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        const std::uint64_t x = (word & (0xFFFEu * lanes)) ^ (0x2028u * lanes);
        if (((x - lanes) & ~x & (0x8000u * lanes)) != 0) return true;
    }
    for (; i < text.size(); ++i)
        if (IsSeparator(text[i])) return true;
    return false;
}
}  // namespace

bool Writer::Key(const PK::UniString& key) {
    return Base::Key(key.ToUStr().data(), static_cast<rapidjson::SizeType>(key.GetLength()));
}

bool Writer::String(const PK::UniString& text) {
    return Base::String(text.ToUStr().data(), static_cast<rapidjson::SizeType>(text.GetLength()));
}

bool Writer::RawObject(const PK::UniString& json) {
    return RawValue(json.ToUStr().data(), json.GetLength(), rapidjson::kObjectType);
}

// Outside strings JSON has no place for the separators, so every one in the
// output is string content and can be written as its escape.
PK::UniString Writer::GetText() const {
    const std::u16string_view written(buffer.GetString(), buffer.GetSize() / sizeof(char16_t));
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
