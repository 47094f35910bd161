#include "Util/Json.hpp"

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
