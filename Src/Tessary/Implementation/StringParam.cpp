#include "Tessary/Implementation/StringParam.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

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

// An escape as a literal writes it.
struct Escape {
    std::array<char16_t, 8> units{};  // 6 used at most; 8 copy as one block
    std::size_t length = 0;
};

constexpr Escape UnicodeEscape(char16_t unit) {
    constexpr char16_t hex[] = u"0123456789ABCDEF";
    return {{u'\\', u'u', hex[unit >> 12], hex[(unit >> 8) & 0xF], hex[(unit >> 4) & 0xF], hex[unit & 0xF]}, 6};
}

// Each ASCII character as a literal writes it: as it is, as a short escape or as a unicode escape. Neither the
// controls nor DEL go as they are, nor '<' (a literal inside a page's script element must not close it). Copied
// whole whatever their length, so that the character's kind costs no branch.
constexpr std::array<Escape, 0x80> asciiInLiteral = [] {
    std::array<Escape, 0x80> table{};
    for (char16_t unit = 0; unit < table.size(); ++unit)
        table[unit] = unit < 0x20 || unit == 0x7F || unit == u'<' ? UnicodeEscape(unit) : Escape{{unit}, 1};
    for (const auto& [unit, escaped] : {std::pair{u'"', u'"'}, std::pair{u'\\', u'\\'}, std::pair{u'\n', u'n'},
                                        std::pair{u'\r', u'r'}, std::pair{u'\t', u't'}})
        table[unit] = {{u'\\', escaped}, 2};
    return table;
}();

}  // namespace

PK::UniString StringParam(PK::UniString text) {
    const std::u16string& in = text.ToUStr();
    const char16_t* const data = in.data();
    // Written in place a block at a time: room for the block's longest literal is made before it, so that no
    // character needs a test for room of its own.
    constexpr std::size_t block = 64;
    constexpr std::size_t blockRoom = 6 * block + 2;  // and the last escape's whole copy
    std::u16string out(in.size() + in.size() / 2 + blockRoom + 2, u'"');
    std::size_t written = 1;  // the opening quote
    for (std::size_t first = 0; first < in.size(); first += block) {
        const std::size_t last = std::min(in.size(), first + block);
        if (out.size() - written < blockRoom + 1) out.resize(2 * out.size());
        char16_t* to = out.data() + written;
        for (std::size_t i = first; i < last; ++i) {
            const char16_t unit = data[i];
            if (unit < 0x80) {
                const Escape& escape = asciiInLiteral[unit];
                std::memcpy(to, escape.units.data(), sizeof escape.units);
                to += escape.length;
            } else if (!NotRawInScript(in, i)) {
                *to++ = unit;
            } else {
                const Escape escape = UnicodeEscape(unit);
                std::memcpy(to, escape.units.data(), sizeof escape.units);
                to += escape.length;
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
