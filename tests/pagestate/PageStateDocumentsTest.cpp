// The page-state documents as the page reads them: each text is compared with
// the exact text the page must receive, and read back by the page's script
// engine, whose reading is compared with a hand-written value.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Tessary/Api/AppState.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Api/DocumentState.hpp"
#include "Tessary/Api/SelectionState.hpp"
#include "Util/JsonWriter.hpp"
#include "support/ScriptJson.hpp"

namespace {

using namespace TessaryConnect::Api;

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
const std::u16string AwkwardWritten = u"q\\\"b\\\\s/t\\tn\\n\\u0001\\u001F\\u0000\x7F\u00E9\U0001F600\\u2028\\u2029";
// And as the script engine gives it back in its escaped form.
const std::string AwkwardRead = R"(q\"b\\s/t\tn\n\u0001\u001f\u0000\u007f\u00e9\ud83d\ude00\u2028\u2029)";

const std::u16string EmptyType =
    uR"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null})";
const std::u16string EmptyTypeQuoted =
    uR"("{\"id\":\"\",\"title\":\"\",\"subtitle\":\"\",\"category\":\"\",\"properties\":null,\"subGroup\":null}")";

TEST(PageStateDocument, IsWrittenExactlyAndReadBackByThePage) {
    // A type owns its sub-group: a copy carries a whole group of its own.
    AssociableType nested = MakeType("stale", MakeGroup("old", {}));
    nested = MakeType("outer", MakeGroup("g", {MakeType("inner"), AssociableType()}));
    AssociableType copied = MakeType("replaced");
    copied = nested;
    nested = AssociableType();
    auto selected = AssociableType("i\"d", "t\"itle", "s\"ub", "c\"at",
                                   MakeProperties({{"b", "2"}, {"a", "1"}, {"", ""}}), nullptr);
    // clang-format off
    const struct {
        PK::UniString written;
        std::u16string text;
        std::string value = "";  // as the page's script engine reads it, when it differs from the text
    } cases[] = {
        {SelectionState().ToJSON(), u"{\"type\":null}"},
        {SelectionState(std::move(selected)).ToJSON(),
         uR"({"type":{"id":"i\"d","title":"t\"itle","subtitle":"s\"ub","category":"c\"at",)"
         uR"("properties":{"b":"2","a":"1","":""},"subGroup":null}})"},
        {DocumentState{"", "Plan 1"}.ToJSON(), u"null"},
        {DocumentState{"r\"ef", ""}.ToJSON(), uR"({"documentRef":"r\"ef","documentName":""})"},
        {AppState{"Tor\"vel", "27.0", "1.3.1.0", {"b", "a", "b", ""}}.ToJSON(),
         uR"({"app":"Tor\"vel","appVersion":"27.0","pluginVersion":"1.3.1.0","supportedFeatures":["b","a","b",""]})"},
        // A group's items are strings holding each item's JSON; the group itself goes into its type raw.
        {copied.ToJSON(),
         uR"({"id":"outer","title":"T","subtitle":"S","category":"C","properties":{"k":"v"},"subGroup":{"name":"g",)"
         uR"("items":["{\"id\":\"inner\",\"title\":\"T\",\"subtitle\":\"S\",\"category\":\"C\",)"
         uR"(\"properties\":{\"k\":\"v\"},\"subGroup\":null}",)" + EmptyTypeQuoted + u"]}}"},
        {AssociableType::ArrayToJSON({MakeType("b"), AssociableType()}),
         uR"([{"id":"b","title":"T","subtitle":"S","category":"C","properties":{"k":"v"},"subGroup":null},)" +
             EmptyType + u"]"},
        // A key and a value; every other text goes through the same two writer calls.
        {MakeProperties({{Awkward, Awkward}}).ToJSON(), u"{\"" + AwkwardWritten + u"\":\"" + AwkwardWritten + u"\"}",
         "{\"" + AwkwardRead + "\":\"" + AwkwardRead + "\"}"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(c.written.ToUStr(), c.text) << c.written.ToCStr();
        EXPECT_EQ(TestSupport::ScriptJsonValue(c.written), c.value.empty() ? PK::UniString(c.text).ToCStr() : c.value)
            << c.written.ToCStr();
    }
}

// The text a type's items must have: each item written on its own, its text then written as a string.
PK::UniString EachItemOnItsOwn(const AssociableType& type) {
    TessaryConnect::Json::Writer writer;
    writer.StartObject();
    for (const auto& [key, text] :
         {std::pair{"id", type.id}, {"title", type.title}, {"subtitle", type.subtitle}, {"category", type.category}}) {
        writer.Key(PK::UniString(key));
        writer.String(text);
    }
    writer.Key("properties");
    type.properties.IsEmpty() ? writer.Null() : writer.RawObject(type.properties.ToJSON());
    writer.Key("subGroup");
    if (type.subGroup == nullptr) {
        writer.Null();
    } else {
        writer.StartObject();
        writer.Key("name");
        writer.String(type.subGroup->name);
        writer.Key("items");
        writer.StartArray();
        for (const AssociableType& item : type.subGroup->items) writer.String(EachItemOnItsOwn(item));
        writer.EndArray();
        writer.EndObject();
    }
    writer.EndObject();
    return writer.GetText();
}

TEST(PageStateDocument, ItemsOfGroupsNestedInItemsAreQuotedOnceForEveryLevelWhateverTheyHold) {
    AssociableType awkward(Awkward, Awkward, "", Awkward, MakeProperties({{Awkward, Awkward}}), nullptr);
    AssociableType middle("m\"id", Awkward, "S", "C", Properties(), MakeGroup(Awkward, {awkward, MakeType("plain")}));
    const SelectionState selection(
        AssociableType("outer", "T", "S", "C", Properties(), MakeGroup("g", {middle, AssociableType(), awkward})));
    const PK::UniString written = selection.ToJSON();
    EXPECT_EQ(written, u"{\"type\":" + EachItemOnItsOwn(selection.type).ToUStr() + u"}");
    EXPECT_EQ(TestSupport::ScriptJsonValue(written).rfind("error", 0), std::string::npos)
        << TestSupport::ScriptJsonValue(written);
}

}  // namespace
