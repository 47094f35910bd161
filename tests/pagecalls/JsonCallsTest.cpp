// The page calls that carry JSON text, called from a page script: what
// reaches the model's page callbacks, what the page gets back and which lines
// are logged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PageUnderTest.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"

namespace {

using Lines = std::vector<std::string>;
namespace Api = TessaryConnect::Api;

using PageCallsTest::CallCase;

class JsonCall : public ::testing::TestWithParam<CallCase> {};

TEST_P(JsonCall, LogsAndCalls) { PageCallsTest::ExpectCase(GetParam()); }

// The trace line of a call whose argument array the script wrote as items.
std::string Trace(const std::string& function, const std::string& printedItems) {
    return "trace: TessaryBrowser::" + function + ": [" + printedItems + "]";
}

INSTANTIATE_TEST_SUITE_P(
    GetAllTypesInDocument, JsonCall,
    ::testing::Values(
        CallCase{"property_names_reach_the_model_in_their_order",
                 R"(o.getAllTypesInDocument(['doc', '["b", "a", "", "b"]']))",
                 {Trace("getAllTypesInDocument", R"("doc", "[\"b\", \"a\", \"\", \"b\"]")"),
                  "debug: TessaryBrowser::getAllTypesInDocument returns: []"},
                 {R"(Handle_getAllTypesInDocument("doc", ["b", "a", "", "b"]))"}},
        CallCase{"an_empty_list_of_names",
                 "o.getAllTypesInDocument(['doc', '[]'])",
                 {Trace("getAllTypesInDocument", R"("doc", "[]")"),
                  "debug: TessaryBrowser::getAllTypesInDocument returns: []"},
                 {R"(Handle_getAllTypesInDocument("doc", []))"}},
        CallCase{"each_name_that_is_no_string_is_logged_with_the_whole_text",
                 R"(o.getAllTypesInDocument(['doc', '["a", 1, "b", null, "c"]']))",
                 {Trace("getAllTypesInDocument", R"("doc", "[\"a\", 1, \"b\", null, \"c\"]")"),
                  R"(error: Not a string: ["a", 1, "b", null, "c"])",
                  R"(error: Not a string: ["a", 1, "b", null, "c"])",
                  "debug: TessaryBrowser::getAllTypesInDocument returns: []"},
                 {R"(Handle_getAllTypesInDocument("doc", ["a", "b", "c"]))"}},
        CallCase{"an_object_is_not_an_array",
                 R"(o.getAllTypesInDocument(['doc', '{"a": 1}']))",
                 {Trace("getAllTypesInDocument", R"("doc", "{\"a\": 1}")"), R"(error: Not an array: {"a": 1})"},
                 {}},
        CallCase{"an_empty_text_does_not_parse",
                 "o.getAllTypesInDocument(['doc', ''])",
                 {Trace("getAllTypesInDocument", R"("doc", "")"), "warning: rapidjson parse error: 1:0",
                  "error: exception: kParseErrorDocumentEmpty"},
                 {}},
        CallCase{"a_third_item_is_ignored",
                 "o.getAllTypesInDocument(['doc', '[]', 3])",
                 {Trace("getAllTypesInDocument", R"("doc", "[]", 3)"),
                  "warning: failed assertion: array.GetSize() == 2",
                  "debug: TessaryBrowser::getAllTypesInDocument returns: []"},
                 {R"(Handle_getAllTypesInDocument("doc", []))"}},
        CallCase{"a_single_item_is_too_few",
                 "o.getAllTypesInDocument(['doc'])",
                 {Trace("getAllTypesInDocument", R"("doc")"),
                  "error: getAllTypesInDocument: parameter number is incorrect: 1"},
                 {}},
        CallCase{"names_beyond_ascii_and_with_nul_arrive_whole",
                 R"(o.getAllTypesInDocument(['doc', '["\u00e9", "a\\u0000b", "\\ud83d\\ude00"]']))",
                 {Trace("getAllTypesInDocument",
                        "\"doc\", \"[\\\"\u00e9\\\", \\\"a\\u0000b\\\", \\\"\\ud83d\\ude00\\\"]\""),
                  "debug: TessaryBrowser::getAllTypesInDocument returns: []"},
                 {"Handle_getAllTypesInDocument(\"doc\", [\"\u00e9\", \"a" + std::string(1, '\0') +
                  "b\", \"\U0001F600\"])"}}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    UpdateProperties, JsonCall,
    ::testing::Values(
        CallCase{"clauses_and_their_properties_reach_the_model",
                 R"(o.updateProperties(['doc', 'second', '{"c1": {"a": "1", "b": "2"}, "c2": {"a": "3"}}']))",
                 {Trace("updateProperties",
                        R"("doc", "second", "{\"c1\": {\"a\": \"1\", \"b\": \"2\"}, \"c2\": {\"a\": \"3\"}}")")},
                 {R"(Handle_updateProperties("doc", "second", {"c1": {"a":"1","b":"2"}, "c2": {"a":"3"}}))"}},
        CallCase{"the_later_of_a_property_named_twice_wins",
                 R"(o.updateProperties(['doc', '', '{"c1": {"a": "1", "a": "2"}}']))",
                 {Trace("updateProperties", R"("doc", "", "{\"c1\": {\"a\": \"1\", \"a\": \"2\"}}")")},
                 {R"(Handle_updateProperties("doc", "", {"c1": {"a":"2"}}))"}},
        CallCase{"a_clause_named_twice_keeps_only_the_later_clause",
                 R"(o.updateProperties(['doc', '', '{"c1": {"a": "1", "b": "2"}, "c1": {"z": "9"}}']))",
                 {Trace("updateProperties", R"("doc", "", "{\"c1\": {\"a\": \"1\", \"b\": \"2\"}, \"c1\": {\"z\": \"9\"}}")")},
                 {R"(Handle_updateProperties("doc", "", {"c1": {"z":"9"}}))"}},
        CallCase{"a_clause_that_is_no_object_is_left_out",
                 R"(o.updateProperties(['doc', '', '{"c1": "text", "c2": {"a": "1"}, "c3": []}']))",
                 {Trace("updateProperties", R"("doc", "", "{\"c1\": \"text\", \"c2\": {\"a\": \"1\"}, \"c3\": []}")"),
                  "error: Not an object: property: c1", "error: Not an object: property: c3"},
                 {R"(Handle_updateProperties("doc", "", {"c2": {"a":"1"}}))"}},
        CallCase{"a_property_that_is_no_string_is_left_out_of_its_clause",
                 R"(o.updateProperties(['doc', '', '{"c1": {"n": 12, "a": "1", "t": true}, "c2": {"x": null}}']))",
                 {Trace("updateProperties",
                        R"("doc", "", "{\"c1\": {\"n\": 12, \"a\": \"1\", \"t\": true}, \"c2\": {\"x\": null}}")"),
                  "error: Not a string: property: n", "error: Not a string: property: t",
                  "error: Not a string: property: x"},
                 {R"(Handle_updateProperties("doc", "", {"c1": {"a":"1"}, "c2": {}}))"}},
        CallCase{"an_empty_object_still_reaches_the_model",
                 "o.updateProperties(['doc', '', '{}'])",
                 {Trace("updateProperties", R"("doc", "", "{}")")},
                 {R"(Handle_updateProperties("doc", "", {}))"}},
        CallCase{"an_array_is_not_an_object",
                 "o.updateProperties(['doc', '', '[]'])",
                 {Trace("updateProperties", R"("doc", "", "[]")"), "error: Not an object: []"},
                 {}},
        CallCase{"a_trailing_comma_does_not_parse",
                 R"(o.updateProperties(['doc', '', '{"c1": {},}']))",
                 {Trace("updateProperties", R"("doc", "", "{\"c1\": {},}")"), "warning: rapidjson parse error: 4:10",
                  "error: exception: kParseErrorObjectMissName"},
                 {}},
        CallCase{"a_number_as_the_text_is_a_type_mismatch",
                 "o.updateProperties(['doc', '', 5])",
                 {Trace("updateProperties", R"("doc", "", 5)"), "error: updateProperties: value type mismatch"},
                 {}},
        CallCase{"two_items_are_too_few",
                 "o.updateProperties(['doc', '{}'])",
                 {Trace("updateProperties", R"("doc", "{}")"),
                  "error: updateProperties: parameter number is incorrect: 2"},
                 {}},
        CallCase{"a_fourth_item_is_ignored",
                 "o.updateProperties(['doc', '', '{}', {}])",
                 {Trace("updateProperties", R"("doc", "", "{}", {})"),
                  "warning: failed assertion: array.GetSize() == 3"},
                 {R"(Handle_updateProperties("doc", "", {}))"}}),
    [](const auto& info) { return info.param.what; });

// associationRequested and removeAssociationRequested share every rule; each
// case runs for both.
struct AssociationCase {
    std::string what;
    std::string items;  // the script's argument array, without brackets
    Lines log;          // after the trace line; "{f}" stands for the function's name
    std::string call;   // the recorded call's arguments, or empty for none
    bool traced = true;  // false when the argument cannot be printed
};

void PrintTo(const AssociationCase& c, std::ostream* os) { *os << c.what; }

class AssociationCall : public ::testing::TestWithParam<AssociationCase> {};

std::string Named(std::string text, const std::string& function) {
    for (std::size_t at; (at = text.find("{f}")) != std::string::npos;) text.replace(at, 3, function);
    return text;
}

TEST_P(AssociationCall, LogsAndCallsForBothFunctions) {
    const AssociationCase& c = GetParam();
    for (const std::string function : {"associationRequested", "removeAssociationRequested"}) {
        PageCallsTest::PageUnderTest page;
        const Lines log = page.Call("orvoTessaryIntegrator." + function + "([" + c.items + "])");
        ASSERT_FALSE(log.empty()) << function;
        const std::size_t traces = c.traced ? 1 : 0;
        if (c.traced) {
            EXPECT_EQ(log[0].rfind("trace: TessaryBrowser::" + function + ": [", 0), 0u) << log[0];
        }
        Lines expected;
        for (const std::string& line : c.log) expected.push_back(Named(line, function));
        EXPECT_EQ(Lines(log.begin() + traces, log.end()), expected) << function;
        const std::string handler = function == "associationRequested" ? "Handle_associationRequested"
                                                                         : "Handle_removeAssociationRequested";
        EXPECT_EQ(page.callbacks->calls, c.call.empty() ? Lines{} : Lines{handler + "(" + c.call + ")"}) << function;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Associations, AssociationCall,
    ::testing::Values(
        AssociationCase{"the_clause_properties_reach_the_model",
                        R"('type', 'spec', 'clause', '{"OrvoTessaryCode": "A10", "OrvoTessaryTitle": "Walls"}')",
                        {},
                        R"("type", "spec", "clause", {"OrvoTessaryCode":"A10","OrvoTessaryTitle":"Walls"})"},
        AssociationCase{"an_empty_object_gives_no_properties",
                        "'t', 's', 'c', '{}'",
                        {},
                        R"("t", "s", "c", {})"},
        AssociationCase{"empty_texts_pass_unchanged",
                        "'', '', '', '{}'",
                        {},
                        R"("", "", "", {})"},
        AssociationCase{"the_later_of_a_property_named_twice_wins",
                        R"('t', 's', 'c', '{"a": "1", "b": "2", "a": "3"}')",
                        {},
                        R"("t", "s", "c", {"a":"3","b":"2"})"},
        AssociationCase{"each_property_that_is_no_string_is_logged_and_left_out",
                        R"('t', 's', 'c', '{"n": 12, "z": null, "b": true, "o": {}, "a": [], "k": "v"}')",
                        {"error: Not a string: property: n", "error: Not a string: property: z",
                         "error: Not a string: property: b", "error: Not a string: property: o",
                         "error: Not a string: property: a"},
                        R"("t", "s", "c", {"k":"v"})"},
        AssociationCase{"a_fifth_item_is_never_looked_at",
                        R"('t', 's', 'c', '{}', [[1], {}])",
                        {"warning: failed assertion: array.GetSize() == 4"},
                        R"("t", "s", "c", {})"},
        AssociationCase{"three_items_are_too_few",
                        "'t', 's', 'c'",
                        {"error: {f}: parameter number is incorrect: 3"},
                        ""},
        AssociationCase{"a_number_as_specification_id_is_a_type_mismatch",
                        "'t', 1, 'c', '{}'",
                        {"error: {f}: value type mismatch"},
                        ""},
        AssociationCase{"a_number_as_the_properties_is_not_parsed",
                        "'t', 's', 'c', 1",
                        {"error: {f}: value type mismatch"},
                        ""},
        AssociationCase{"an_object_item_is_a_bad_cast",
                        "'t', 's', 'c', {a: 'b'}",
                        {"error: exception: Bad cast."},
                        ""},
        AssociationCase{"a_missing_item_is_a_null_reference",
                        "'t', 's', , '{}'",
                        {"error: exception: Null reference."},
                        "",
                        false},
        AssociationCase{"an_array_is_not_an_object",
                        "'t', 's', 'c', '[]'",
                        {"error: Not an object: []"},
                        ""},
        AssociationCase{"null_is_not_an_object",
                        "'t', 's', 'c', 'null'",
                        {"error: Not an object: null"},
                        ""},
        AssociationCase{"a_json_string_is_not_an_object",
                        R"('t', 's', 'c', '"text"')",
                        {R"(error: Not an object: "text")"},
                        ""},
        AssociationCase{"an_empty_text_does_not_parse",
                        "'t', 's', 'c', ''",
                        {"warning: rapidjson parse error: 1:0", "error: exception: kParseErrorDocumentEmpty"},
                        ""},
        AssociationCase{"a_second_root_value_does_not_parse",
                        R"('t', 's', 'c', '{"a": "1"} {}')",
                        {"warning: rapidjson parse error: 2:11", "error: exception: kParseErrorDocumentRootNotSingular"},
                        ""},
        AssociationCase{"a_trailing_comma_does_not_parse",
                        R"('t', 's', 'c', '{"a": "1",}')",
                        {"warning: rapidjson parse error: 4:10", "error: exception: kParseErrorObjectMissName"},
                        ""},
        AssociationCase{"a_comment_does_not_parse",
                        R"('t', 's', 'c', '{/* c */}')",
                        {"warning: rapidjson parse error: 4:1", "error: exception: kParseErrorObjectMissName"},
                        ""},
        // Nothing may follow the root value, a NUL character included.
        AssociationCase{"text_after_a_nul_character_does_not_parse",
                        R"('t', 's', 'c', '{"a": "1"}\u0000{"b": "2"}')",
                        {"warning: rapidjson parse error: 2:10", "error: exception: kParseErrorDocumentRootNotSingular"},
                        ""},
        AssociationCase{"an_escaped_nul_keeps_the_whole_text",
                        R"('t', 's', 'c', '{"a\\u0000x": "1\\u0000y", "a\\u0000z": "2"}')",
                        {},
                        R"("t", "s", "c", {"a\u0000x":"1\u0000y","a\u0000z":"2"})"},
        AssociationCase{"texts_beyond_ascii_arrive_whole",
                        "'\\u00e9', 's', 'c', '{\"Titel\": \"Wand \\u2013 Beton \\ud83d\\ude00\", "
                        "\"\\u00c4\": \"\\\\u00e9\"}'",
                        {},
                        "\"\u00e9\", \"s\", \"c\", {\"Titel\":\"Wand \u2013 Beton \U0001F600\",\"\u00c4\":\"\u00e9\"}"}),
    [](const auto& info) { return info.param.what; });

TEST(JsonCalls, GetAllTypesInDocumentAnswersTheTypesAsOneJsonText) {
    PageCallsTest::PageUnderTest page;
    Api::Properties properties;
    properties.Add("OrvoTessaryCode", "A\u2028\"10\"");
    page.callbacks->typesInDocument.Push(Api::AssociableType("c1", "Walls", "", "Clause", properties, nullptr));
    page.callbacks->typesInDocument.Push(Api::AssociableType());
    const Lines log = page.Call(R"(var answer;
        orvoTessaryIntegrator.getAllTypesInDocument(['doc', '[]']).then(function (v) { answer = v; });)");
    const std::string expected =
        R"([{"id":"c1","title":"Walls","subtitle":"","category":"Clause","properties":{"OrvoTessaryCode":"A\u2028\"10\""},"subGroup":null},)"
        R"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null}])";
    EXPECT_EQ(log.back(), "debug: TessaryBrowser::getAllTypesInDocument returns: " + expected);
    EXPECT_EQ(page.Eval("typeof answer"), "string");
    EXPECT_EQ(page.Eval("answer"), expected);
    EXPECT_EQ(page.Eval("JSON.parse(answer)[0].properties.OrvoTessaryCode === 'A\\u2028\"10\"'"), "true");
}

TEST(JsonCalls, WithoutTheModelTheDocumentCallsDoNotReadTheirJson) {
    PageCallsTest::PageUnderTest page;
    page.callbacks.reset();
    EXPECT_EQ(page.Call(R"(var answers = [];
        function keep(v) { answers.push(String(v)); }
        orvoTessaryIntegrator.getAllTypesInDocument(['doc', 'not json']).then(keep);
        orvoTessaryIntegrator.updateProperties(['doc', '', '[]']).then(keep);)"),
              (Lines{Trace("getAllTypesInDocument", R"("doc", "not json")"),
                     Trace("updateProperties", R"("doc", "", "[]")")}));
    EXPECT_EQ(page.Eval("answers.join('|')"), "undefined|undefined");
}

TEST(JsonCalls, WithoutTheModelTheAssociationCallsStillReadTheirJson) {
    PageCallsTest::PageUnderTest page;
    page.callbacks.reset();
    EXPECT_EQ(page.Call(R"(orvoTessaryIntegrator.associationRequested(['t', 's', 'c', '{"a": 1, "b": "2"}']);
                           orvoTessaryIntegrator.removeAssociationRequested(['t', 's', 'c', '[]']);)"),
              (Lines{Trace("associationRequested", R"("t", "s", "c", "{\"a\": 1, \"b\": \"2\"}")"),
                     "error: Not a string: property: a",
                     Trace("removeAssociationRequested", R"("t", "s", "c", "[]")"), "error: Not an object: []"}));
}

TEST(JsonCalls, AFailingModelLeavesThePageWithTheEmptyAnswer) {
    PageCallsTest::PageUnderTest page;
    page.callbacks->afterCall = [] { throw std::runtime_error("no connection"); };
    page.callbacks->typesInDocument.Push(Api::AssociableType());
    EXPECT_EQ(page.Call(R"(var answer = 'unanswered';
        orvoTessaryIntegrator.getAllTypesInDocument(['doc', '[]']).then(function (v) { answer = v; });
        orvoTessaryIntegrator.updateProperties(['doc', '', '{}']);
        orvoTessaryIntegrator.associationRequested(['t', 's', 'c', '{}']);)"),
              (Lines{Trace("getAllTypesInDocument", R"("doc", "[]")"), "error: exception: no connection",
                     Trace("updateProperties", R"("doc", "", "{}")"), "error: exception: no connection",
                     Trace("associationRequested", R"("t", "s", "c", "{}")"), "error: exception: no connection"}));
    EXPECT_EQ(page.Eval("answer === undefined"), "true");
    EXPECT_EQ(page.callbacks->calls.size(), 3u);
}

}  // namespace
