// The page calls that lead into the model, called from a page script: what
// reaches the model's page callbacks, which lines are logged, where they are
// logged from, and what the page gets back.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DG/JSValue.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "support/BrowserUnderTest.hpp"

namespace {

using Lines = std::vector<std::string>;
using TestSupport::BrowserUnderTest;

struct Case {
    std::string script;  // o.<function>(...), with the page's script object as o
    Lines log;           // after the entry trace line, unless the first line is a trace line
    Lines calls;
    std::string answer = "undefined";  // what the page's promise gives, as a string
};

// Every line of one call carries the source location of the page function
// that answered it, whatever part of the call wrote it; only the JSON
// reader's warning stands where the reader does.
void ExpectCases(const std::vector<Case>& cases, const std::function<void(BrowserUnderTest&)>& arrange = {}) {
    BrowserUnderTest under;
    under.Open().Init();
    if (arrange) arrange(under);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        if (under.callbacks) under.callbacks->calls.clear();
        Lines log =
            under.Call("var answer = 'unanswered'; " + c.script + ".then(function (v) { answer = String(v); });");
        const bool traceExpected = !c.log.empty() && c.log[0].starts_with("trace: ");
        if (!traceExpected && !log.empty() && log[0].starts_with("trace: TessaryBrowser::")) log.erase(log.begin());
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(under.callbacks ? under.callbacks->calls : Lines{}, c.calls);
        EXPECT_EQ(under.Run("answer"), c.answer);

        std::string function = c.script.substr(2, c.script.find('(') - 2);
        for (const TestSupport::LogRecord& record : under.log.Records()) {
            if (record.message.starts_with("rapidjson parse error")) continue;  // the JSON reader's own line
            std::string written = record.function;
            if (!written.empty()) written[0] = static_cast<char>(std::tolower(written[0]));
            EXPECT_EQ(written, function) << record.message;
            EXPECT_EQ(record.file, under.log.Records()[0].file) << record.message;
            EXPECT_EQ(record.line, under.log.Records()[0].line) << record.message;
        }
    }
}

const std::string BadCast = "error: exception: Bad cast.";
const std::string NullReference = "error: exception: Null reference.";
const std::string NotAString = "error: failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING";
const std::string Nul(1, '\0');

TEST(PageCalls, PlainTextCallsPassThePagesStringsOnUnchanged) {
    ExpectCases({
        {"o.selectInstancesOfType('API_ElemTypeID-5-0')",
         {},
         {R"(Handle_selectInstancesOfType("API_ElemTypeID-5-0"))"}},
        {"o.selectInstancesOfType(12)", {"trace: TessaryBrowser::selectInstancesOfType: 12", NotAString}, {}},
        {"o.selectInstancesOfType(['a'])", {BadCast}, {}},
        {"o.specOpened(['p', 's', 'Project', 'Spec'])",
         {R"(trace: TessaryBrowser::specOpened: ["p", "s", "Project", "Spec"])"},
         {R"(Handle_specOpened("p", "s", "Project", "Spec"))"}},
        {"o.specOpened('p')", {BadCast}, {}},
        {"o.specOpened(['p', 's', 'P'])", {"error: specOpened: parameter number is incorrect: 3"}, {}},
        // Items beyond the count are never looked at.
        {"o.specOpened(['p', 's', 'P', 'S', [1]])",
         {"warning: failed assertion: array.GetSize() == 4"},
         {R"(Handle_specOpened("p", "s", "P", "S"))"}},
        // Every item is cast before any is tested.
        {"o.specOpened([1, ['nested'], 'P', 'S'])", {BadCast}, {}},
        {"o.specOpened(['p', 's', 'P', null])",
         {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", DEFAULT (null)])",
          "error: specOpened: value type mismatch"},
         {}},
        // A hole cannot be printed, which costs the trace line only.
        {"o.specOpened(['p', , 'P', 'S'])", {NullReference}, {}},
        {"o.specAssociationRequested(['p', 's', 'P', 'S', 'fifth', 'type'])",
         {},
         {R"(Handle_specAssociationRequested("p", "s", "P", "S", "fifth", "type"))"}},
        {"o.removeSpecAssociationRequested(['p', 's', 'doc'])",
         {},
         {R"(Handle_removeSpecAssociationRequested("p", "s", "doc"))"}},
        {R"(o.removeAssociationRequested(['t', 's', 'c', '{"k": "v"}']))",
         {},
         {R"(Handle_removeAssociationRequested("t", "s", "c", {"k":"v"}))"}},
        {"o.specOpened(['{}', '{0}', '{:>9}', '%s\\n{'])",
         {"trace: TessaryBrowser::specOpened: [\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\"]"},
         {"Handle_specOpened(\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\")"}},
        {"o.specOpened(['\\u00e9', '\\ud83d\\ude00', 'Wand \\u2013 Beton', 'a\\u0000b'])",
         {"trace: TessaryBrowser::specOpened: [\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", \"a" + Nul + "b\"]"},
         {"Handle_specOpened(\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", \"a" + Nul + "b\")"}},
    });
}

TEST(PageCalls, DocumentCallsReadTheirJsonTextsAndAnswerTheTypesAsOneJsonText) {
    const std::string types =
        R"([{"id":"c1","title":"Walls","subtitle":"","category":"Clause","properties":{"OrvoTessaryCode":"A\u2028\"10\""},"subGroup":null},)"
        R"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null}])";
    const std::string returns = "debug: TessaryBrowser::getAllTypesInDocument returns: " + types;
    ExpectCases(
        {
            {R"(o.getAllTypesInDocument(['doc', '["b", "a", "", "b"]']))",
             {returns},
             {R"(Handle_getAllTypesInDocument("doc", ["b", "a", "", "b"]))"},
             types},
            {R"(o.getAllTypesInDocument(['doc', '["a", 1, "b", null, "c"]']))",
             {R"(error: Not a string: ["a", 1, "b", null, "c"])", R"(error: Not a string: ["a", 1, "b", null, "c"])",
              returns},
             {R"(Handle_getAllTypesInDocument("doc", ["a", "b", "c"]))"},
             types},
            {R"(o.getAllTypesInDocument(['doc', '{"a": 1}']))", {R"(error: Not an array: {"a": 1})"}, {}},
            // A clause named again replaces the whole earlier clause; a property named again only its text.
            {R"(o.updateProperties(['doc', 'second', '{"c1": {"a": "1", "b": "2"}, "c2": {"a": "1", "a": "2"}, "c1": {"z": "9"}}']))",
             {},
             {R"(Handle_updateProperties("doc", "second", {"c1": {"z":"9"}, "c2": {"a":"2"}}))"}},
            {R"(o.updateProperties(['doc', '', '{"c1": "text", "c2": {"n": 12, "a": "1", "t": true}, "c3": [], "c4": {"x": null}}']))",
             {"error: Not an object: property: c1", "error: Not a string: property: n",
              "error: Not a string: property: t", "error: Not an object: property: c3",
              "error: Not a string: property: x"},
             {R"(Handle_updateProperties("doc", "", {"c2": {"a":"1"}, "c4": {}}))"}},
            {"o.updateProperties(['doc', '', '[]'])", {"error: Not an object: []"}, {}},
        },
        [](BrowserUnderTest& under) {
            TessaryConnect::Api::Properties properties;
            properties.Add("OrvoTessaryCode", "A\u2028\"10\"");
            under.callbacks->typesInDocument.Push(
                TessaryConnect::Api::AssociableType("c1", "Walls", "", "Clause", properties, nullptr));
            under.callbacks->typesInDocument.Push(TessaryConnect::Api::AssociableType());
        });
}

// removeAssociationRequested shares every rule of these.
TEST(PageCalls, AnAssociationCallReadsTheClauseProperties) {
    const struct {
        std::string properties;  // the JSON text as a script literal
        Lines log;
        std::string passed;  // the properties as the model receives them, or empty for no call
    } cases[] = {
        {R"('{"OrvoTessaryCode": "A10", "OrvoTessaryTitle": "Walls", "OrvoTessaryCode": "A11"}')",
         {},
         R"({"OrvoTessaryCode":"A11","OrvoTessaryTitle":"Walls"})"},
        {R"('{"n": 12, "z": null, "b": true, "o": {}, "a": [], "k": "v"}')",
         {"error: Not a string: property: n", "error: Not a string: property: z", "error: Not a string: property: b",
          "error: Not a string: property: o", "error: Not a string: property: a"},
         R"({"k":"v"})"},
        {"'null'", {"error: Not an object: null"}, ""},
        {"''", {"warning: rapidjson parse error: 1:0", "error: exception: kParseErrorDocumentEmpty"}, ""},
        {R"('{"a": "1"} {}')",
         {"warning: rapidjson parse error: 2:11", "error: exception: kParseErrorDocumentRootNotSingular"},
         ""},
        // Nothing may follow the root value, a NUL character included.
        {R"('{"a": "1"}\u0000{"b": "2"}')",
         {"warning: rapidjson parse error: 2:10", "error: exception: kParseErrorDocumentRootNotSingular"},
         ""},
        {R"('{"a\\u0000x": "1\\u0000y"}')", {}, R"({"a\u0000x":"1\u0000y"})"},
        {R"('{"Titel": "Wand \u2013 Beton \ud83d\ude00", "\u00c4": "\\u00e9"}')",
         {},
         "{\"Titel\":\"Wand \u2013 Beton \U0001F600\",\"\u00c4\":\"\u00e9\"}"},
    };
    std::vector<Case> table;
    for (const auto& c : cases)
        table.push_back({"o.associationRequested(['\\u00e9', 's', '', " + c.properties + "])", c.log,
                         c.passed.empty()
                             ? Lines{}
                             : Lines{"Handle_associationRequested(\"\u00e9\", \"s\", \"\", " + c.passed + ")"}});
    ExpectCases(table);
}

// Without the model only the trace is logged; the document calls do not even
// read their JSON, the association calls do.
TEST(PageCalls, WithoutTheModelEveryCallAnswersEmpty) {
    ExpectCases(
        {
            {"o.selectInstancesOfType('t')", {R"(trace: TessaryBrowser::selectInstancesOfType: "t")"}, {}},
            {"o.getAllTypesInDocument(['doc', 'not json'])",
             {R"(trace: TessaryBrowser::getAllTypesInDocument: ["doc", "not json"])"},
             {}},
            {"o.updateProperties(['doc', '', '[]'])",
             {R"(trace: TessaryBrowser::updateProperties: ["doc", "", "[]"])"},
             {}},
            {"o.specOpened(['p', 's', 'P', 'S'])", {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", "S"])"}, {}},
            {"o.specAssociationRequested(['p', 's', 'P', 'S', 'f', 't'])",
             {R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "f", "t"])"},
             {}},
            {"o.removeSpecAssociationRequested(['p', 's', 'd'])",
             {R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", "s", "d"])"},
             {}},
            {R"(o.associationRequested(['t', 's', 'c', '{"a": 1}']))",
             {R"(trace: TessaryBrowser::associationRequested: ["t", "s", "c", "{\"a\": 1}"])",
              "error: Not a string: property: a"},
             {}},
            {"o.removeAssociationRequested(['t', 's', 'c', '[]'])",
             {R"(trace: TessaryBrowser::removeAssociationRequested: ["t", "s", "c", "[]"])",
              "error: Not an object: []"},
             {}},
        },
        [](BrowserUnderTest& under) { under.callbacks.reset(); });
}

TEST(PageCalls, AFailingModelIsLoggedAndThePageGetsTheEmptyAnswer) {
    ExpectCases(
        {
            {"o.specOpened(['p', 's', 'P', 'S'])",
             {"error: exception: model fault"},
             {R"(Handle_specOpened("p", "s", "P", "S"))"}},
            {"o.tvt_onlineStateChanged('online')",
             {"error: exception: model fault"},
             {"Handle_tvt_onlineStateChanged(true)"}},
            {"o.getAllState('unexpected')",
             {"warning: failed assertion: (asValue && asValue->GetType() == DG::JSValue::DEFAULT) || (asArray && "
              "asArray->GetItemArray().GetSize() == 0)",
              "error: exception: model fault"},
             {"Handle_getAllState()"}},
        },
        [](BrowserUnderTest& under) { under.callbacks->afterCall = [] { throw std::runtime_error("model fault"); }; });
    ExpectCases(
        {{"o.selectInstancesOfType('t')", {"error: unknown exception!"}, {R"(Handle_selectInstancesOfType("t"))"}}},
        [](BrowserUnderTest& under) { under.callbacks->afterCall = [] { throw 42; }; });
}

// A page script always sends some value; an empty reference can only come
// from the control itself. The trace line is lost to the unprintable
// argument; the refusal is not.
TEST(PageCalls, AnEmptyArgumentIsRefused) {
    using TessaryConnect::Implementation::PageCalls;
    const std::pair<PageCalls::Function, std::string> functions[] = {
        {&PageCalls::SelectInstancesOfType,
         "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING"},
        {&PageCalls::SpecOpened, "failed assertion: paramArray != nullptr"},
    };
    BrowserUnderTest under;
    auto& page = under.Open();
    for (const auto& [function, refusal] : functions) {
        under.log.Clear();
        const DG::JSRef answer = function(page, DG::JSRef());
        EXPECT_EQ(under.log.Messages(), Lines{refusal});
        ASSERT_TRUE(answer.Is<DG::JSValue>());
        EXPECT_EQ(answer.As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
        EXPECT_TRUE(under.callbacks->calls.empty());
    }
}

}  // namespace
