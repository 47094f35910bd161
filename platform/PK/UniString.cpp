#include "PK/UniString.hpp"

#include <algorithm>

#include "PK/Array.hpp"

namespace PK {

namespace {

std::u16string Utf8ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    std::size_t i = 0;
    auto cont = [&](std::size_t k) { return i + k < in.size() && (static_cast<unsigned char>(in[i + k]) & 0xC0) == 0x80; };
    while (i < in.size()) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && cont(1)) {
            cp = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(in[i + 1]) & 0x3Fu);
            len = 2;
            if (cp < 0x80) cp = 0xFFFD;
        } else if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
            cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(in[i + 1]) & 0x3Fu) << 6 |
                 (static_cast<unsigned char>(in[i + 2]) & 0x3Fu);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        } else if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
            cp = (c & 0x07u) << 18 | (static_cast<unsigned char>(in[i + 1]) & 0x3Fu) << 12 |
                 (static_cast<unsigned char>(in[i + 2]) & 0x3Fu) << 6 | (static_cast<unsigned char>(in[i + 3]) & 0x3Fu);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

UniString::UniString(const char* utf8) : _text(utf8 ? Utf8ToUtf16(utf8) : std::u16string()) {}
UniString::UniString(const std::string& utf8) : _text(Utf8ToUtf16(utf8)) {}
UniString::UniString(std::string_view utf8) : _text(Utf8ToUtf16(utf8)) {}
UniString::UniString(const char16_t* utf16) : _text(utf16 ? utf16 : u"") {}
UniString::UniString(std::u16string utf16) : _text(std::move(utf16)) {}
UniString::UniString(UniChar ch, USize count) : _text(count, ch) {}

UniString UniString::FromUtf8(std::string_view utf8) { return UniString(utf8); }

std::string UniString::ToCStr() const {
    std::string out;
    out.reserve(_text.size());
    for (std::size_t i = 0; i < _text.size(); ++i) {
        char32_t c = _text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < _text.size() && _text[i + 1] >= 0xDC00 && _text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (_text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

UniString& UniString::Append(const UniString& other) {
    _text += other._text;
    return *this;
}

UniString& UniString::operator+=(UniChar ch) {
    _text.push_back(ch);
    return *this;
}

bool UniString::BeginsWith(const UniString& prefix) const { return _text.starts_with(prefix._text); }
bool UniString::EndsWith(const UniString& suffix) const { return _text.ends_with(suffix._text); }

USize UniString::FindFirst(const UniString& what, USize from) const {
    auto pos = _text.find(what._text, from);
    return pos == std::u16string::npos ? MaxIndex : pos;
}

UniString UniString::GetSubstring(USize from, USize length) const {
    if (from >= _text.size()) return {};
    return UniString(_text.substr(from, length));
}

UniString UniString::GetTrimmed() const {
    auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    std::size_t b = 0, e = _text.size();
    while (b < e && isSpace(_text[b])) ++b;
    while (e > b && isSpace(_text[e - 1])) --e;
    return UniString(_text.substr(b, e - b));
}

USize UniString::ReplaceAll(const UniString& what, const UniString& with) {
    if (what._text.empty()) return 0;
    USize count = 0;
    std::u16string out;
    std::size_t pos = 0;
    for (;;) {
        auto hit = _text.find(what._text, pos);
        if (hit == std::u16string::npos) break;
        out.append(_text, pos, hit - pos);
        out += with._text;
        pos = hit + what._text.size();
        ++count;
    }
    if (count == 0) return 0;
    out.append(_text, pos, std::u16string::npos);
    _text = std::move(out);
    return count;
}

USize UniString::Split(const UniString& separator, Array<UniString>* parts) const {
    Array<UniString> result;
    if (separator._text.empty()) {
        result.Push(*this);
    } else {
        std::size_t pos = 0;
        for (;;) {
            auto hit = _text.find(separator._text, pos);
            if (hit == std::u16string::npos) {
                result.Push(UniString(_text.substr(pos)));
                break;
            }
            result.Push(UniString(_text.substr(pos, hit - pos)));
            pos = hit + separator._text.size();
        }
    }
    USize n = result.GetSize();
    if (parts != nullptr) *parts = std::move(result);
    return n;
}

UniString UniString::ToLowerCaseAscii() const {
    std::u16string out = _text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; });
    return UniString(std::move(out));
}

}  // namespace PK
