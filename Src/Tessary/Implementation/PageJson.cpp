#include "Tessary/Implementation/PageJson.hpp"

#include <string>

namespace TessaryConnect::Implementation {

rapidjson::Document PageJson::Parse(const PK::UniString& text) {
    std::string utf8 = text.ToCStr();  // UTF-8 by the class library's definition
    Json::ReplaceLoneSurrogateEscapes(utf8);
    rapidjson::StringStream stream(utf8.c_str());
    rapidjson::Document document;
    document.ParseStream(stream);
    // The reader stops at a NUL character as at the end of the text; what
    // follows one is as much a second root as anything else after the first.
    if (stream.Tell() != utf8.size())
        Json::Detail::OnParseError(rapidjson::kParseErrorDocumentRootNotSingular, stream.Tell());
    return document;
}

std::optional<rapidjson::Document> PageJson::ParseObject(const PageCallFrame& frame, const PK::UniString& text) {
    rapidjson::Document document = Parse(text);
    if (document.IsObject()) return document;
    frame.Log(spdlog::level::err, "Not an object: {}", Utf8(text));
    return std::nullopt;
}

std::optional<rapidjson::Document> PageJson::ParseArray(const PageCallFrame& frame, const PK::UniString& text) {
    rapidjson::Document document = Parse(text);
    if (document.IsArray()) return document;
    frame.Log(spdlog::level::err, "Not an array: {}", Utf8(text));
    return std::nullopt;
}

PK::UniString PageJson::Text(const rapidjson::Value& string) { return PK::UniString::FromUtf8(Utf8(string)); }

}  // namespace TessaryConnect::Implementation
