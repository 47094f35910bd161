#pragma once
// Reading the JSON texts that page calls carry. The page's texts are UTF-16
// and RapidJSON reads UTF-8: both directions are converted explicitly, whole
// and with their lengths, so that no default character code and no NUL
// character decides what survives.
#include <optional>
#include <string>
#include <string_view>

#include "PK/UniString.hpp"
#include "Tessary/Implementation/PageCallFrame.hpp"
#include "Util/Json.hpp"

namespace TessaryConnect::Implementation {

class PageJson {
public:
    // The text as one strict JSON document (one root value, nothing after it
    // but white space, no comments, no trailing commas). A surrogate without
    // its partner reads as U+FFFD, escaped or raw. A text that does not
    // parse throws Json::ParseException, after the parse-error hook has
    // logged it.
    static rapidjson::Document Parse(const PK::UniString& text);
    // As Parse, for a text whose root must be an object, or an array: another
    // root is logged in the call's frame ("Not an object: <text>", "Not an
    // array: <text>") and gives nothing.
    static std::optional<rapidjson::Document> ParseObject(const PageCallFrame& frame, const PK::UniString& text);
    static std::optional<rapidjson::Document> ParseArray(const PageCallFrame& frame, const PK::UniString& text);

    // A JSON string value or member name as a text, NUL characters included.
    static PK::UniString Text(const rapidjson::Value& string);

    // The text as it appears in log lines.
    static std::string Utf8(const PK::UniString& text) { return text.ToCStr(); }
    static std::string_view Utf8(const rapidjson::Value& string) {
        return std::string_view(string.GetString(), string.GetStringLength());
    }
};

}  // namespace TessaryConnect::Implementation
