#pragma once
// The one way into RapidJSON for the whole add-on: its parse-error hook logs
// and throws Json::ParseException, its assertion hook logs and throws, so a
// malformed page message ends the current call instead of the process.
// No other file includes RapidJSON directly. Keep JSON work out of
// destructors and other noexcept code: a throwing hook there terminates.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace TessaryConnect::Json::Detail {
[[noreturn]] void OnParseError(int code, std::size_t offset);
[[noreturn]] void OnAssertionFailed(const char* condition);
}  // namespace TessaryConnect::Json::Detail

#define RAPIDJSON_HAS_STDSTRING 1
// Every parse keeps its nesting on the heap: a page or stored text nested
// deeper than the stack holds is read, or refused with a parse error, instead
// of ending the process. (Document::Accept still recurses: a parsed document
// is read member by member, never written back whole.)
#define RAPIDJSON_PARSE_DEFAULT_FLAGS kParseIterativeFlag
#define RAPIDJSON_ASSERT(x) \
    ((x) ? static_cast<void>(0) : ::TessaryConnect::Json::Detail::OnAssertionFailed(RAPIDJSON_STRINGIFY(x)))
#define RAPIDJSON_PARSE_ERROR_NORETURN(parseErrorCode, offset) \
    ::TessaryConnect::Json::Detail::OnParseError(static_cast<int>(parseErrorCode), offset)

#include <rapidjson/document.h>
#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace TessaryConnect::Json {

class ParseException : public std::runtime_error, public rapidjson::ParseResult {
public:
    ParseException(rapidjson::ParseErrorCode code, const char* message, std::size_t offset)
        : std::runtime_error(message), rapidjson::ParseResult(code, offset) {}
};

// The enumerator name of a parse error code, e.g. "kParseErrorTermination";
// codes this build does not know give "kParseErrorUnknown".
const char* ParseErrorName(rapidjson::ParseErrorCode code);

// Rewrites, in place, every \uXXXX escape of a surrogate without its partner
// into \ufffd. A browser's JSON.stringify writes such a unit as an escape,
// which the reader refuses along with the whole text, while the same unit
// sent raw reaches the reader as U+FFFD already; after this both read alike.
// Pairs and every other byte stay as they are, and so does the length, so
// offsets in parse errors still point into the text as given; a text the
// reader refused for anything else is still refused. Escaped backslashes are
// skipped as escapes of their own, so that "\\ud800" stays six plain
// characters.
void ReplaceLoneSurrogateEscapes(std::string& text);

}  // namespace TessaryConnect::Json
