#include "DG/HtmlDocument.hpp"

#include <string>

namespace DG {

namespace {

using Text = std::u16string;

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool StartsWithNoCase(const Text& s, std::size_t at, std::u16string_view what) {
    if (at + what.size() > s.size()) return false;
    for (std::size_t i = 0; i < what.size(); ++i)
        if (Lower(s[at + i]) != what[i]) return false;
    return true;
}

std::size_t FindNoCase(const Text& s, std::size_t from, std::u16string_view what) {
    for (std::size_t i = from; i + what.size() <= s.size(); ++i)
        if (StartsWithNoCase(s, i, what)) return i;
    return Text::npos;
}

bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'_' || c == u':';
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

void AppendCodePoint(Text& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out += u'\uFFFD';
    } else if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (cp >> 10));
        out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references; anything else stays as written.
Text DecodeEntities(const Text& s) {
    static const struct {
        std::u16string_view name;
        char16_t ch;
    } named[] = {{u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u'\u00A0'}};
    Text out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t semi = s[i] == u'&' ? s.find(u';', i) : Text::npos;
        if (semi == Text::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        const std::u16string_view ref(s.data() + i + 1, semi - i - 1);
        bool decoded = false;
        if (ref.size() > 1 && ref[0] == u'#') {
            const bool hex = ref[1] == u'x' || ref[1] == u'X';
            unsigned long cp = 0;
            bool digits = ref.size() > (hex ? 2u : 1u);
            for (std::size_t k = hex ? 2 : 1; k < ref.size() && digits; ++k) {
                const char16_t c = Lower(ref[k]);
                const int d = (c >= u'0' && c <= u'9') ? c - u'0' : (hex && c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
                if (d < 0 || cp > 0x10FFFF) digits = false;
                else cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
            }
            if (digits) {
                AppendCodePoint(out, cp);
                decoded = true;
            }
        } else {
            for (const auto& n : named)
                if (ref == n.name) {
                    out += n.ch;
                    decoded = true;
                }
        }
        if (decoded) i = semi;
        else out += s[i];
    }
    return out;
}

struct StartTag {
    Text name;
    Text id, className, value;
    std::size_t end = Text::npos;  // index after '>'
};

// Reads the tag that starts at s[at] == '<'; attribute values may be quoted with either quote or not at all.
StartTag ReadStartTag(const Text& s, std::size_t at) {
    StartTag tag;
    std::size_t i = at + 1;
    while (i < s.size() && IsNameChar(s[i])) tag.name += Lower(s[i++]);
    while (i < s.size() && s[i] != u'>') {
        if (IsSpace(s[i]) || s[i] == u'/') {
            ++i;
            continue;
        }
        Text name;
        while (i < s.size() && !IsSpace(s[i]) && s[i] != u'=' && s[i] != u'>' && s[i] != u'/') name += Lower(s[i++]);
        if (name.empty()) {
            ++i;
            continue;
        }
        while (i < s.size() && IsSpace(s[i])) ++i;
        Text value;
        if (i < s.size() && s[i] == u'=') {
            ++i;
            while (i < s.size() && IsSpace(s[i])) ++i;
            if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
                const char16_t quote = s[i++];
                const std::size_t close = s.find(quote, i);
                const std::size_t stop = close == Text::npos ? s.size() : close;
                value = s.substr(i, stop - i);
                i = stop == s.size() ? stop : stop + 1;
            } else {
                while (i < s.size() && !IsSpace(s[i]) && s[i] != u'>') value += s[i++];
            }
        }
        value = DecodeEntities(value);
        if (name == u"id") tag.id = value;
        else if (name == u"class") tag.className = value;
        else if (name == u"value") tag.value = value;
    }
    tag.end = i < s.size() ? i + 1 : s.size();
    return tag;
}

}  // namespace

HtmlDocument HtmlDocument::Parse(const PK::UniString& html) {
    HtmlDocument doc;
    const Text& s = html.ToUStr();
    std::size_t i = 0;
    while ((i = s.find(u'<', i)) != Text::npos) {
        if (s.compare(i, 4, u"<!--") == 0) {
            const std::size_t close = s.find(u"-->", i + 4);
            i = close == Text::npos ? s.size() : close + 3;
            continue;
        }
        if (i + 1 < s.size() && (s[i + 1] == u'/' || s[i + 1] == u'!' || s[i + 1] == u'?')) {
            const std::size_t close = s.find(u'>', i);
            i = close == Text::npos ? s.size() : close + 1;
            continue;
        }
        if (i + 1 >= s.size() || !IsNameChar(s[i + 1])) {
            ++i;
            continue;
        }
        StartTag tag = ReadStartTag(s, i);
        i = tag.end;
        if (tag.name == u"script" || tag.name == u"style") {
            const std::size_t close = FindNoCase(s, i, tag.name == u"script" ? u"</script" : u"</style");
            const std::size_t stop = close == Text::npos ? s.size() : close;
            if (tag.name == u"script") doc.scripts.emplace_back(s.substr(i, stop - i));
            i = stop;
            continue;
        }
        const std::size_t next = s.find(u'<', i);
        Text text = DecodeEntities(s.substr(i, (next == Text::npos ? s.size() : next) - i));
        if (tag.name == u"title") doc.title = PK::UniString(text);
        doc.elements.push_back(HtmlElement{PK::UniString(std::move(tag.name)), PK::UniString(std::move(tag.id)),
                                           PK::UniString(std::move(tag.className)),
                                           PK::UniString(std::move(tag.value)), PK::UniString(std::move(text))});
    }
    return doc;
}

}  // namespace DG
