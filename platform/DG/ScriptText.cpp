#include "DG/ScriptText.hpp"

namespace DG::ScriptText {

namespace {
unsigned FourByteCodePoint(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
    return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
}
}  // namespace

std::string ToEngine(const PK::UniString& text) {
    std::string out;
    out.reserve(text.GetLength());
    for (char16_t unit : text.ToUStr()) {
        auto u = static_cast<unsigned>(unit);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

PK::UniString FromEngine(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned b = byte(i);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && continuation(i + 1)) {
            out += static_cast<char16_t>(((b & 0x1F) << 6) | (byte(i + 1) & 0x3F));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            out += static_cast<char16_t>(((b & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F));
            i += 3;
        } else if ((b & 0xF8) == 0xF0 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3) &&
                   FourByteCodePoint(text.substr(i, 4)) - 0x10000 < 0x100000) {
            unsigned cp = FourByteCodePoint(text.substr(i, 4)) - 0x10000;
            out += static_cast<char16_t>(0xD800 | ((cp >> 10) & 0x3FF));
            out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
            i += 4;
        } else {
            out += u'\uFFFD';
            i += 1;
        }
    }
    return PK::UniString(std::move(out));
}

}  // namespace DG::ScriptText
