#include "Tessary/Implementation/StringParam.hpp"

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
    if (unit == 0x2028 || unit == 0x2029) return true;
    if (IsHighSurrogate(unit)) return i + 1 == text.size() || !IsLowSurrogate(text[i + 1]);
    if (IsLowSurrogate(unit)) return i == 0 || !IsHighSurrogate(text[i - 1]);
    return false;
}

}  // namespace

PK::UniString StringParam(PK::UniString text) {
    const std::u16string& in = text.ToUStr();
    std::u16string out;
    out.reserve(in.size() + 2);
    out += u'"';
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char16_t unit = in[i];
        switch (unit) {
            case u'"': out += u"\\\""; break;
            case u'\\': out += u"\\\\"; break;
            case u'\n': out += u"\\n"; break;
            case u'\r': out += u"\\r"; break;
            case u'\t': out += u"\\t"; break;
            default:
                if (unit < 0x20 || unit == 0x7F || unit == u'<' || NotRawInScript(in, i))
                    AppendUnicodeEscape(out, unit);
                else
                    out += unit;
        }
    }
    out += u'"';
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
