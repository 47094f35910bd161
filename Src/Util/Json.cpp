#include "Util/Json.hpp"

#include <charconv>
#include <optional>
#include <string_view>

#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Json {

const char* ParseErrorName(rapidjson::ParseErrorCode code) {
    switch (code) {
#define TC_CASE(name)      \
    case rapidjson::name: \
        return #name;
        TC_CASE(kParseErrorNone)
        TC_CASE(kParseErrorDocumentEmpty)
        TC_CASE(kParseErrorDocumentRootNotSingular)
        TC_CASE(kParseErrorValueInvalid)
        TC_CASE(kParseErrorObjectMissName)
        TC_CASE(kParseErrorObjectMissColon)
        TC_CASE(kParseErrorObjectMissCommaOrCurlyBracket)
        TC_CASE(kParseErrorArrayMissCommaOrSquareBracket)
        TC_CASE(kParseErrorStringUnicodeEscapeInvalidHex)
        TC_CASE(kParseErrorStringUnicodeSurrogateInvalid)
        TC_CASE(kParseErrorStringEscapeInvalid)
        TC_CASE(kParseErrorStringMissQuotationMark)
        TC_CASE(kParseErrorStringInvalidEncoding)
        TC_CASE(kParseErrorNumberTooBig)
        TC_CASE(kParseErrorNumberMissFraction)
        TC_CASE(kParseErrorNumberMissExponent)
        TC_CASE(kParseErrorTermination)
        TC_CASE(kParseErrorUnspecificSyntaxError)
#undef TC_CASE
    }
    return "kParseErrorUnknown";
}

namespace {

// The UTF-16 unit of the \uXXXX escape that starts at text[at], if one does.
std::optional<unsigned> EscapedUnit(std::string_view text, std::size_t at) {
    if (at > text.size() || text.size() - at < 6 || text[at] != '\\' || text[at + 1] != 'u') return std::nullopt;
    const char* const digits = text.data() + at + 2;
    unsigned unit = 0;
    const auto [end, error] = std::from_chars(digits, digits + 4, unit, 16);
    if (error != std::errc() || end != digits + 4) return std::nullopt;
    return unit;
}

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

// A backslash stands only inside strings in a text the reader accepts, so
// taking every backslash with the character after it as one escape walks the
// escapes as the reader does, up to the first fault it would stop at; what
// follows that fault is never read.
void ReplaceLoneSurrogateEscapes(std::string& text) {
    for (std::size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', at)) {
        const std::optional<unsigned> unit = EscapedUnit(text, at);
        if (!unit) {
            at += 2;  // another escape, or a broken one the reader refuses
            continue;
        }
        if (IsHighSurrogate(*unit)) {
            const std::optional<unsigned> next = EscapedUnit(text, at + 6);
            if (next && IsLowSurrogate(*next)) {
                at += 12;
                continue;
            }
        } else if (!IsLowSurrogate(*unit)) {
            at += 6;
            continue;
        }
        text.replace(at + 2, 4, "fffd");
        at += 6;
    }
}

namespace Detail {

void OnParseError(int code, std::size_t offset) {
    LOG_WARN("rapidjson parse error: {}:{}", code, offset);
    auto parseCode = static_cast<rapidjson::ParseErrorCode>(code);
    throw ParseException(parseCode, ParseErrorName(parseCode), offset);
}

void OnAssertionFailed(const char* condition) {
    LOG_ERROR("rapidjson assertion: {}", condition);
    TC_THROW_RUNTIME(fmt::format("rapidjson assertion: {}", condition));
}

}  // namespace Detail

}  // namespace TessaryConnect::Json
