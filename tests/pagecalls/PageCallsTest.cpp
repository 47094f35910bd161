// The eight page calls that lead into the model, called from a page script:
// what reaches the model's page callbacks and which lines are logged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "support/BrowserUnderTest.hpp"

namespace {

using Lines = std::vector<std::string>;
using TestSupport::BrowserUnderTest;

struct Case {
    std::string script;  // run with the page's script object as o
    Lines log;           // after the entry trace line, unless the first line is a trace line
    Lines calls;
};

void ExpectCases(const std::vector<Case>& cases) {
    BrowserUnderTest under;
    under.Open().Init();
    for (const Case& c : cases) {
        under.callbacks->calls.clear();
        Lines log = under.Call(c.script);
        const bool traceExpected = !c.log.empty() && c.log[0].starts_with("trace: ");
        if (!traceExpected && !log.empty() && log[0].starts_with("trace: TessaryBrowser::")) log.erase(log.begin());
        EXPECT_EQ(log, c.log) << c.script;
        EXPECT_EQ(under.callbacks->calls, c.calls) << c.script;
    }
}

const std::string BadCast = "error: exception: Bad cast.";
const std::string NullReference = "error: exception: Null reference.";
const std::string NotAString = "error: failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING";
const std::string Nul(1, '\0');

TEST(PageCalls, PlainTextCallsPassThePagesStringsOnUnchanged) {
    ExpectCases({
        {"o.selectInstancesOfType('API_ElemTypeID-5-0')", {}, {R"(Handle_selectInstancesOfType("API_ElemTypeID-5-0"))"}},
        {"o.selectInstancesOfType(12)", {"trace: TessaryBrowser::selectInstancesOfType: 12", NotAString}, {}},
        {"o.selectInstancesOfType()", {"trace: TessaryBrowser::selectInstancesOfType: DEFAULT (null)", NotAString}, {}},
        {"o.selectInstancesOfType(['a'])", {BadCast}, {}},
        {"o.specOpened(['p', 's', 'Project', 'Spec'])",
         {R"(trace: TessaryBrowser::specOpened: ["p", "s", "Project", "Spec"])"},
         {R"(Handle_specOpened("p", "s", "Project", "Spec"))"}},
        {"o.specOpened('p')", {BadCast}, {}},
        // Every item is cast before any is tested.
        {"o.specOpened([1, ['nested'], 'P', 'S'])", {BadCast}, {}},
        {"o.specOpened(['p', null, 'P', 'S'])",
         {R"(trace: TessaryBrowser::specOpened: ["p", DEFAULT (null), "P", "S"])", "error: specOpened: value type mismatch"},
         {}},
        // A hole cannot be printed, which costs the trace line only.
        {"o.specOpened(['p', , 'P', 'S'])", {NullReference}, {}},
        {"o.specAssociationRequested(['p', 's', 'P', 'S', 'fifth', 'type'])",
         {},
         {R"(Handle_specAssociationRequested("p", "s", "P", "S", "fifth", "type"))"}},
        {"o.removeSpecAssociationRequested(['p', 's', 'doc'])",
         {},
         {R"(Handle_removeSpecAssociationRequested("p", "s", "doc"))"}},
        {"o.specOpened(['{}', '{0}', '{:>9}', '%s\\n{'])",
         {"trace: TessaryBrowser::specOpened: [\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\"]"},
         {"Handle_specOpened(\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\")"}},
        {"o.specOpened(['\\u00e9', '\\ud83d\\ude00', 'Wand \\u2013 Beton', 'a\\u0000b'])",
         {"trace: TessaryBrowser::specOpened: [\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", \"a" + Nul + "b\"]"},
         {"Handle_specOpened(\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", \"a" + Nul + "b\")"}},
    });
}

TEST(PageCalls, DocumentCallsReadTheirJsonTexts) {
    const std::string noTypes = "debug: TessaryBrowser::getAllTypesInDocument returns: []";
    ExpectCases({
        {R"(o.getAllTypesInDocument(['doc', '["b", "a", "", "b"]']))",
         {noTypes},
         {R"(Handle_getAllTypesInDocument("doc", ["b", "a", "", "b"]))"}},
        {R"(o.getAllTypesInDocument(['doc', '["a", 1, "b", null, "c"]']))",
         {R"(error: Not a string: ["a", 1, "b", null, "c"])", R"(error: Not a string: ["a", 1, "b", null, "c"])", noTypes},
         {R"(Handle_getAllTypesInDocument("doc", ["a", "b", "c"]))"}},
        {R"(o.getAllTypesInDocument(['doc', '{"a": 1}']))", {R"(error: Not an array: {"a": 1})"}, {}},
        {"o.getAllTypesInDocument(['doc', ''])",
         {"warning: rapidjson parse error: 1:0", "error: exception: kParseErrorDocumentEmpty"},
         {}},
        {R"(o.getAllTypesInDocument(['doc', '["\u00e9", "a\\u0000b", "\\ud83d\\ude00"]']))",
         {noTypes},
         {"Handle_getAllTypesInDocument(\"doc\", [\"\u00e9\", \"a" + Nul + "b\", \"\U0001F600\"])"}},
        {R"(o.updateProperties(['doc', 'second', '{"c1": {"a": "1", "b": "2"}, "c2": {"a": "3"}}']))",
         {},
         {R"(Handle_updateProperties("doc", "second", {"c1": {"a":"1","b":"2"}, "c2": {"a":"3"}}))"}},
        // A clause named again replaces the whole earlier clause; a property named again only its text.
        {R"(o.updateProperties(['doc', '', '{"c1": {"a": "1", "b": "2"}, "c2": {"a": "1", "a": "2"}, "c1": {"z": "9"}}']))",
         {},
         {R"(Handle_updateProperties("doc", "", {"c1": {"z":"9"}, "c2": {"a":"2"}}))"}},
        {R"(o.updateProperties(['doc', '', '{"c1": "text", "c2": {"n": 12, "a": "1", "t": true}, "c3": [], "c4": {"x": null}}']))",
         {"error: Not an object: property: c1", "error: Not a string: property: n", "error: Not a string: property: t",
          "error: Not an object: property: c3", "error: Not a string: property: x"},
         {R"(Handle_updateProperties("doc", "", {"c2": {"a":"1"}, "c4": {}}))"}},
        {"o.updateProperties(['doc', '', '{}'])", {}, {R"(Handle_updateProperties("doc", "", {}))"}},
        {"o.updateProperties(['doc', '', '[]'])", {"error: Not an object: []"}, {}},
    });
}

// associationRequested and removeAssociationRequested share every rule; each
// case runs for both.
TEST(PageCalls, AssociationCallsReadTheClausePropertiesForBothFunctions) {
    const struct {
        std::string properties;  // the JSON text as a script literal
        Lines log;
        std::string passed;  // the properties as the model receives them, or empty for no call
    } cases[] = {
        {R"('{"OrvoTessaryCode": "A10", "OrvoTessaryTitle": "Walls"}')", {},
         R"({"OrvoTessaryCode":"A10","OrvoTessaryTitle":"Walls"})"},
        {"'{}'", {}, "{}"},
        {R"('{"a": "1", "b": "2", "a": "3"}')", {}, R"({"a":"3","b":"2"})"},
        {R"('{"n": 12, "z": null, "b": true, "o": {}, "a": [], "k": "v"}')",
         {"error: Not a string: property: n", "error: Not a string: property: z", "error: Not a string: property: b",
          "error: Not a string: property: o", "error: Not a string: property: a"},
         R"({"k":"v"})"},
        {"'null'", {"error: Not an object: null"}, ""},
        {"''", {"warning: rapidjson parse error: 1:0", "error: exception: kParseErrorDocumentEmpty"}, ""},
        {R"('{"a": "1"} {}')",
         {"warning: rapidjson parse error: 2:11", "error: exception: kParseErrorDocumentRootNotSingular"}, ""},
        // Nothing may follow the root value, a NUL character included.
        {R"('{"a": "1"}\u0000{"b": "2"}')",
         {"warning: rapidjson parse error: 2:10", "error: exception: kParseErrorDocumentRootNotSingular"}, ""},
        {R"('{"a\\u0000x": "1\\u0000y"}')", {}, R"({"a\u0000x":"1\u0000y"})"},
        {R"('{"Titel": "Wand \u2013 Beton \ud83d\ude00", "\u00c4": "\\u00e9"}')", {},
         "{\"Titel\":\"Wand \u2013 Beton \U0001F600\",\"\u00c4\":\"\u00e9\"}"},
    };
    for (const std::string function : {"associationRequested", "removeAssociationRequested"}) {
        std::vector<Case> table;
        const std::string handler = "Handle_" + function;
        for (const auto& c : cases)
            table.push_back({"o." + function + "(['\\u00e9', 's', '', " + c.properties + "])", c.log,
                             c.passed.empty() ? Lines{} : Lines{handler + "(\"\u00e9\", \"s\", \"\", " + c.passed + ")"}});
        ExpectCases(table);
    }
}

TEST(PageCalls, GetAllTypesInDocumentAnswersTheTypesAsOneJsonText) {
    namespace Api = TessaryConnect::Api;
    BrowserUnderTest under;
    under.Open().Init();
    Api::Properties properties;
    properties.Add("OrvoTessaryCode", "A\u2028\"10\"");
    under.callbacks->typesInDocument.Push(Api::AssociableType("c1", "Walls", "", "Clause", properties, nullptr));
    under.callbacks->typesInDocument.Push(Api::AssociableType());
    const Lines log = under.Call("var answer; o.getAllTypesInDocument(['doc', '[]']).then(function (v) { answer = v; });");
    const std::string expected =
        R"([{"id":"c1","title":"Walls","subtitle":"","category":"Clause","properties":{"OrvoTessaryCode":"A\u2028\"10\""},"subGroup":null},)"
        R"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null}])";
    EXPECT_EQ(log.back(), "debug: TessaryBrowser::getAllTypesInDocument returns: " + expected);
    EXPECT_EQ(under.Run("typeof answer"), "string");
    EXPECT_EQ(under.Run("answer"), expected);
}

}  // namespace
