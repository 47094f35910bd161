#include "Tessary/Implementation/StringParam.hpp"

#include <string>

namespace TessaryConnect::Implementation {

namespace {

void AppendUnicodeEscape(std::u16string& out, char16_t unit) {
    static const char16_t hex[] = u"0123456789ABCDEF";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(unit >> shift) & 0xF];
}

}  // namespace

PK::UniString StringParam(PK::UniString text) {
    const std::u16string& in = text.ToUStr();
    std::u16string out;
    out.reserve(in.size() + 2);
    out += u'"';
    for (char16_t unit : in) {
        switch (unit) {
            case u'"': out += u"\\\""; break;
            case u'\\': out += u"\\\\"; break;
            case u'\n': out += u"\\n"; break;
            case u'\r': out += u"\\r"; break;
            case u'\t': out += u"\\t"; break;
            default:
                if (unit < 0x20 || unit == 0x7F || unit == 0x2028 || unit == 0x2029 || unit == u'<')
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
