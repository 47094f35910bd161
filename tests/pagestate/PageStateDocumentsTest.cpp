// The page-state documents as the page reads them: each text is compared with
// the exact text the page must receive, and read back by the page's script
// engine, whose reading is compared with a hand-written value.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Tessary/Api/AppState.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Api/DocumentState.hpp"
#include "Tessary/Api/SelectionState.hpp"
#include "support/ScriptJson.hpp"

namespace {

using namespace TessaryConnect::Api;
using TestSupport::ScriptJsonValue;

Properties MakeProperties(std::vector<std::pair<PK::UniString, PK::UniString>> entries) {
    Properties properties;
    for (auto& [name, value] : entries) properties.Add(name, value);
    return properties;
}

AssociableType MakeType(const PK::UniString& id, std::unique_ptr<AssociableTypeGroup> group = nullptr) {
    return AssociableType(id, "T", "S", "C", MakeProperties({{"k", "v"}}), std::move(group));
}

std::unique_ptr<AssociableTypeGroup> MakeGroup(const PK::UniString& name, std::vector<AssociableType> items) {
    auto group = std::make_unique<AssociableTypeGroup>();
    group->name = name;
    for (auto& item : items) group->items.Push(std::move(item));
    return group;
}

// Texts that JSON or a script takes apart if they are not written with care.
// Quote, backslash, solidus, tab, line feed, control characters 0x01 and 0x1F,
// NUL, DEL, e acute, a character outside the BMP (U+1F600), U+2028, U+2029.
const PK::UniString Awkward(std::u16string(u"q\"b\\s/t\tn\n\x01\x1F", 12) + std::u16string(1, u'\0') +
                            u"\x7F\u00E9\U0001F600\u2028\u2029");
// The same as the writer must write it inside double quotes.
const std::u16string AwkwardWritten =
    u"q\\\"b\\\\s/t\\tn\\n\\u0001\\u001F\\u0000\x7F\u00E9\U0001F600\\u2028\\u2029";
// And as the script engine gives it back in its escaped form.
const std::string AwkwardRead = R"(q\"b\\s/t\tn\n\u0001\u001f\u0000\u007f\u00e9\ud83d\ude00\u2028\u2029)";

struct DocumentCase {
    std::string what;
    std::function<PK::UniString()> write;
    std::u16string expectedText;
    std::string expectedValue;  // as the page's script engine reads it
};

void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.what; }

class PageStateDocument : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(PageStateDocument, IsWrittenExactlyAndReadBackByThePage) {
    const DocumentCase& c = GetParam();
    const PK::UniString text = c.write();
    EXPECT_EQ(text.ToUStr(), c.expectedText) << text.ToCStr();
    EXPECT_EQ(ScriptJsonValue(text), c.expectedValue);
}

const std::vector<DocumentCase> documentCases = {
    {"nothing selected",
     [] { return SelectionState().ToJSON(); },
     u"{\"type\":null}",
     R"({"type":null})"},
    {"selection of a type without properties or group",
     [] {
         AssociableType type;
         type.id = "t1";
         return SelectionState(std::move(type)).ToJSON();
     },
     u"{\"type\":{\"id\":\"t1\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,"
     u"\"subGroup\":null}}",
     R"({"type":{"id":"t1","title":"","subtitle":"","category":"","properties":null,"subGroup":null}})"},
    {"selection of a type with properties",
     [] {
         return SelectionState(AssociableType("id", "title", "sub", "cat",
                                              MakeProperties({{"b", "2"}, {"a", "1"}, {"", ""}}), nullptr))
             .ToJSON();
     },
     u"{\"type\":{\"id\":\"id\",\"title\":\"title\",\"subtitle\":\"sub\",\"category\":\"cat\","
     u"\"properties\":{\"b\":\"2\",\"a\":\"1\",\"\":\"\"},\"subGroup\":null}}",
     R"({"type":{"id":"id","title":"title","subtitle":"sub","category":"cat","properties":{"b":"2","a":"1","":""},"subGroup":null}})"},
    {"a type with an empty id is still an object",
     [] { return AssociableType().ToJSON(); },
     u"{\"id\":\"\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,\"subGroup\":null}",
     R"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null})"},
    {"no document, whatever its name",
     [] { return DocumentState{"", "Plan 1"}.ToJSON(); },
     u"null",
     "null"},
    {"document without a name",
     [] { return DocumentState{"ref", ""}.ToJSON(); },
     u"{\"documentRef\":\"ref\",\"documentName\":\"\"}",
     R"({"documentRef":"ref","documentName":""})"},
    {"app without features",
     [] { return AppState().ToJSON(); },
     u"{\"app\":\"\",\"appVersion\":\"\",\"pluginVersion\":\"\",\"supportedFeatures\":[]}",
     R"({"app":"","appVersion":"","pluginVersion":"","supportedFeatures":[]})"},
    {"app with features in their order",
     [] { return AppState{"Torvel", "27.0", "1.3.1.0", {"b", "a", "b", ""}}.ToJSON(); },
     u"{\"app\":\"Torvel\",\"appVersion\":\"27.0\",\"pluginVersion\":\"1.3.1.0\","
     u"\"supportedFeatures\":[\"b\",\"a\",\"b\",\"\"]}",
     R"({"app":"Torvel","appVersion":"27.0","pluginVersion":"1.3.1.0","supportedFeatures":["b","a","b",""]})"},
    {"group without items",
     [] { return MakeGroup("g", {})->ToJSON(); },
     u"{\"name\":\"g\",\"items\":[]}",
     R"({"name":"g","items":[]})"},
    {"group items are strings holding each item's JSON",
     [] { return MakeGroup("g", {MakeType("a"), AssociableType()})->ToJSON(); },
     u"{\"name\":\"g\",\"items\":[\"{\\\"id\\\":\\\"a\\\",\\\"title\\\":\\\"T\\\",\\\"subtitle\\\":\\\"S\\\","
     u"\\\"category\\\":\\\"C\\\",\\\"properties\\\":{\\\"k\\\":\\\"v\\\"},\\\"subGroup\\\":null}\","
     u"\"{\\\"id\\\":\\\"\\\",\\\"title\\\":\\\"\\\",\\\"subtitle\\\":\\\"\\\",\\\"category\\\":\\\"\\\","
     u"\\\"properties\\\":null,\\\"subGroup\\\":null}\"]}",
     R"({"name":"g","items":["{\"id\":\"a\",\"title\":\"T\",\"subtitle\":\"S\",\"category\":\"C\",\"properties\":{\"k\":\"v\"},\"subGroup\":null}","{\"id\":\"\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,\"subGroup\":null}"]})"},
    {"a type's group goes in as an object, its items as strings",
     [] { return MakeType("outer", MakeGroup("g", {MakeType("inner")})).ToJSON(); },
     u"{\"id\":\"outer\",\"title\":\"T\",\"subtitle\":\"S\",\"category\":\"C\",\"properties\":{\"k\":\"v\"},"
     u"\"subGroup\":{\"name\":\"g\",\"items\":[\"{\\\"id\\\":\\\"inner\\\",\\\"title\\\":\\\"T\\\","
     u"\\\"subtitle\\\":\\\"S\\\",\\\"category\\\":\\\"C\\\",\\\"properties\\\":{\\\"k\\\":\\\"v\\\"},"
     u"\\\"subGroup\\\":null}\"]}}",
     R"({"id":"outer","title":"T","subtitle":"S","category":"C","properties":{"k":"v"},"subGroup":{"name":"g","items":["{\"id\":\"inner\",\"title\":\"T\",\"subtitle\":\"S\",\"category\":\"C\",\"properties\":{\"k\":\"v\"},\"subGroup\":null}"]}})"},
    {"awkward texts in every string of a type",
     [] {
         return SelectionState(AssociableType(Awkward, Awkward, Awkward, Awkward,
                                              MakeProperties({{Awkward, Awkward}}), nullptr))
             .ToJSON();
     },
     u"{\"type\":{\"id\":\"" + AwkwardWritten + u"\",\"title\":\"" + AwkwardWritten + u"\",\"subtitle\":\"" +
         AwkwardWritten + u"\",\"category\":\"" + AwkwardWritten + u"\",\"properties\":{\"" + AwkwardWritten +
         u"\":\"" + AwkwardWritten + u"\"},\"subGroup\":null}}",
     R"({"type":{"id":")" + AwkwardRead + R"(","title":")" + AwkwardRead + R"(","subtitle":")" + AwkwardRead +
         R"(","category":")" + AwkwardRead + R"(","properties":{")" + AwkwardRead + R"(":")" + AwkwardRead +
         R"("},"subGroup":null}})"},
    {"awkward texts in the app state",
     [] { return AppState{Awkward, "", Awkward, {Awkward}}.ToJSON(); },
     u"{\"app\":\"" + AwkwardWritten + u"\",\"appVersion\":\"\",\"pluginVersion\":\"" + AwkwardWritten +
         u"\",\"supportedFeatures\":[\"" + AwkwardWritten + u"\"]}",
     R"({"app":")" + AwkwardRead + R"(","appVersion":"","pluginVersion":")" + AwkwardRead +
         R"(","supportedFeatures":[")" + AwkwardRead + R"("]})"},
    {"awkward texts in the document state",
     [] { return DocumentState{Awkward, Awkward}.ToJSON(); },
     u"{\"documentRef\":\"" + AwkwardWritten + u"\",\"documentName\":\"" + AwkwardWritten + u"\"}",
     R"({"documentRef":")" + AwkwardRead + R"(","documentName":")" + AwkwardRead + R"("})"},
    {"an awkward item inside a group survives two readings",
     [] { return MakeGroup(Awkward, {AssociableType(Awkward, "", "", "", Properties(), nullptr)})->ToJSON(); },
     u"{\"name\":\"" + AwkwardWritten + u"\",\"items\":[\"{\\\"id\\\":\\\"" +
         u"q\\\\\\\"b\\\\\\\\s/t\\\\tn\\\\n\\\\u0001\\\\u001F\\\\u0000\x7F\u00E9\U0001F600\\\\u2028\\\\u2029" +
         u"\\\",\\\"title\\\":\\\"\\\",\\\"subtitle\\\":\\\"\\\",\\\"category\\\":\\\"\\\","
         u"\\\"properties\\\":null,\\\"subGroup\\\":null}\"]}",
     R"({"name":")" + AwkwardRead + R"(","items":["{\"id\":\"q\\\"b\\\\s/t\\tn\\n\\u0001\\u001F\\u0000\u007f\u00e9\ud83d\ude00\\u2028\\u2029\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,\"subGroup\":null}"]})"},
    {"no types in the document",
     [] { return AssociableType::ArrayToJSON({}); },
     u"[]",
     "[]"},
    {"types of the document in their order",
     [] { return AssociableType::ArrayToJSON({MakeType("b"), AssociableType()}); },
     u"[{\"id\":\"b\",\"title\":\"T\",\"subtitle\":\"S\",\"category\":\"C\",\"properties\":{\"k\":\"v\"},"
     u"\"subGroup\":null},{\"id\":\"\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,"
     u"\"subGroup\":null}]",
     R"([{"id":"b","title":"T","subtitle":"S","category":"C","properties":{"k":"v"},"subGroup":null},{"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null}])"},
};

INSTANTIATE_TEST_SUITE_P(Documents, PageStateDocument, ::testing::ValuesIn(documentCases),
                         [](const ::testing::TestParamInfo<DocumentCase>& info) {
                             std::string name;
                             for (char c : info.param.what) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
