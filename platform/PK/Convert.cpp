#include "PK/Convert.hpp"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string>

namespace PK {

bool valuetostr(Int32 value, char* buffer, USize bufferSize) {
    if (buffer == nullptr || bufferSize == 0) return false;
    auto [end, ec] = std::to_chars(buffer, buffer + bufferSize - 1, value);
    if (ec != std::errc()) {
        buffer[0] = '\0';
        return false;
    }
    *end = '\0';
    return true;
}

bool strtovalue(const char* text, Int32& value, int valueMode, int whiteSpaceMode) {
    if (text == nullptr) return false;
    const char* b = text;
    const char* e = text + std::strlen(text);
    if (whiteSpaceMode != 0) {
        while (b < e && std::isspace(static_cast<unsigned char>(*b))) ++b;
        while (e > b && std::isspace(static_cast<unsigned char>(e[-1]))) --e;
    }
    if (b < e && *b == '+' && valueMode != 0) ++b;
    if (b == e || (*b == '-' && valueMode == 0)) return false;
    Int32 parsed = 0;
    auto [end, ec] = std::from_chars(b, e, parsed);
    if (ec != std::errc() || end != e) return false;
    value = parsed;
    return true;
}

bool strtovalue(const UniString& text, Int32& value, int valueMode, int whiteSpaceMode) {
    return strtovalue(text.ToCStr().c_str(), value, valueMode, whiteSpaceMode);
}

bool UniStringToValue(const UniString& text, Int32& value) { return strtovalue(text, value, 1, 0); }

UniString ValueToUniString(Int32 value) { return UniString(std::to_string(value)); }

}  // namespace PK
