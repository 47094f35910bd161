#include "Tessary/Implementation/StringParam.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace TessaryConnect::Implementation {

namespace {

void AppendUnicodeEscape(std::u16string& out, char16_t unit) {
    static const char16_t hex[] = u"0123456789ABCDEF";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(unit >> shift) & 0xF];
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether the unit at i must go into a script as its escape: a line or paragraph separator ends a script's string
// literal, and a surrogate without its partner has no form in the UTF-8 a script may travel as.
bool NotRawInScript(const std::u16string& text, std::size_t i) {
    const char16_t unit = text[i];
    if ((unit & 0xF800) != 0xD800) return (unit & 0xFFFE) == 0x2028;  // neither surrogate: a separator?
    if (IsHighSurrogate(unit)) return i + 1 == text.size() || !IsLowSurrogate(text[i + 1]);
    if (IsLowSurrogate(unit)) return i == 0 || !IsHighSurrogate(text[i - 1]);
    return false;
}

// What each ASCII character takes in a literal: 1 as it is, 2 as a short escape, 6 as a unicode escape. Neither
// the controls nor DEL go as they are, nor '<' (a literal inside a page's script element must not close it).
constexpr std::array<std::uint8_t, 0x80> asciiLengths = [] {
    std::array<std::uint8_t, 0x80> lengths{};
    for (std::size_t unit = 0; unit < lengths.size(); ++unit)
        lengths[unit] = unit < 0x20 || unit == 0x7F || unit == u'<' ? 6 : 1;
    for (char16_t unit : {u'"', u'\\', u'\n', u'\r', u'\t'}) lengths[unit] = 2;
    return lengths;
}();

char16_t ShortEscape(char16_t unit) {
    switch (unit) {
        case u'\n':
            return u'n';
        case u'\r':
            return u'r';
        case u'\t':
            return u't';
        default:
            return unit;  // the quote and the backslash stand for themselves
    }
}

}  // namespace

PK::UniString StringParam(PK::UniString text) {
    const std::u16string& in = text.ToUStr();
    const char16_t* const data = in.data();
    // Written in place a block at a time: room for the block's longest literal is made before it, so that no
    // character needs a test for room of its own.
    constexpr std::size_t block = 64;
    std::u16string out(in.size() + in.size() / 2 + 6 * block + 2, u'"');
    std::size_t written = 1;  // the opening quote
    for (std::size_t first = 0; first < in.size(); first += block) {
        const std::size_t last = std::min(in.size(), first + block);
        if (out.size() - written < 6 * block + 1) out.resize(2 * out.size());
        char16_t* to = out.data() + written;
        for (std::size_t i = first; i < last; ++i) {
            const char16_t unit = data[i];
            if (unit < 0x80 ? asciiLengths[unit] == 1 : !NotRawInScript(in, i)) {
                *to++ = unit;
            } else if (unit < 0x80 && asciiLengths[unit] == 2) {
                *to++ = u'\\';
                *to++ = ShortEscape(unit);
            } else {
                static constexpr char16_t hex[] = u"0123456789ABCDEF";
                for (char16_t escaped :
                     {u'\\', u'u', hex[unit >> 12], hex[(unit >> 8) & 0xF], hex[(unit >> 4) & 0xF], hex[unit & 0xF]})
                    *to++ = escaped;
            }
        }
        written = static_cast<std::size_t>(to - out.data());
    }
    out[written++] = u'"';
    out.resize(written);
    return PK::UniString(std::move(out));
}

// Outside its strings JSON is ASCII: whatever is escaped here is string content, and its escape stands for it.
PK::UniString JsonParam(const PK::UniString& json) {
    const std::u16string& in = json.ToUStr();
    std::size_t i = 0;
    while (i < in.size() && !NotRawInScript(in, i)) ++i;
    if (i == in.size()) return json;
    std::u16string out(in, 0, i);
    out.reserve(in.size() + 16);
    for (; i < in.size(); ++i) {
        if (NotRawInScript(in, i))
            AppendUnicodeEscape(out, in[i]);
        else
            out += in[i];
    }
    return PK::UniString(std::move(out));
}

}  // namespace TessaryConnect::Implementation
