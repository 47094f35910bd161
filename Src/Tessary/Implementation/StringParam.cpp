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

}  // namespace

PK::UniString StringParam(PK::UniString text) {
    const std::u16string& in = text.ToUStr();
    std::u16string out;
    out.reserve(in.size() + 2);
    out += u'"';
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char16_t unit = in[i];
        if (IsHighSurrogate(unit) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) {
            out += unit;
            out += in[++i];
            continue;
        }
        switch (unit) {
            case u'"': out += u"\\\""; break;
            case u'\\': out += u"\\\\"; break;
            case u'\n': out += u"\\n"; break;
            case u'\r': out += u"\\r"; break;
            case u'\t': out += u"\\t"; break;
            default:
                // A surrogate left here has no partner: a script that travels as UTF-8 cannot carry it raw.
                if (unit < 0x20 || unit == 0x7F || unit == 0x2028 || unit == 0x2029 || unit == u'<' ||
                    IsHighSurrogate(unit) || IsLowSurrogate(unit))
                    AppendUnicodeEscape(out, unit);
                else
                    out += unit;
        }
    }
    out += u'"';
    return PK::UniString(std::move(out));
}

PK::UniString JsonParam(const PK::UniString& json) {
    PK::UniString out = json;
    out.ReplaceAll(PK::UniString(u"\u2028"), PK::UniString(u"\\u2028"));
    out.ReplaceAll(PK::UniString(u"\u2029"), PK::UniString(u"\\u2029"));
    return out;
}

}  // namespace TessaryConnect::Implementation
