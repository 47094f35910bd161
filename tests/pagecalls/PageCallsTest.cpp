// The page calls that lead into the model, called from a page script: what
// reaches the model's page callbacks, which lines are logged, where they are
// logged from, and what the page gets back.
#include <gtest/gtest.h>
#include <strings.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "support/BrowserUnderTest.hpp"

namespace {

using Lines = std::vector<std::string>;
using TestSupport::BrowserUnderTest;

struct Case {
    std::string script;                // <function>(...) on the page's script object
    Lines log;                         // after the entry trace line, unless the first line is a trace line
    std::string call;                  // what reaches the model, if anything
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
            under.Call("var answer = 'unanswered'; o." + c.script + ".then(function (v) { answer = String(v); });");
        const bool traceExpected = !c.log.empty() && c.log[0].starts_with("trace: ");
        if (!traceExpected && !log.empty() && log[0].starts_with("trace: TessaryBrowser::")) log.erase(log.begin());
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(under.callbacks ? under.callbacks->calls : Lines{}, c.call.empty() ? Lines{} : Lines{c.call});
        EXPECT_EQ(under.Run("answer"), c.answer);
        const std::string function = c.script.substr(0, c.script.find('('));
        const TestSupport::LogRecord& first = under.log.Records()[0];
        for (const TestSupport::LogRecord& r : under.log.Records()) {
            if (r.message.starts_with("rapidjson parse error")) continue;  // the JSON reader's own line
            EXPECT_TRUE(!strcasecmp(r.function.c_str(), function.c_str()) && r.file == first.file &&
                        r.line == first.line)
                << r.message << " from " << r.function << ":" << r.line;
        }
    }
}

const std::string BadCast = "error: exception: Bad cast.";
const std::string NotAString = "error: failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING";

TEST(PageCalls, PlainTextCallsPassThePagesStringsOnUnchanged) {
    // clang-format off
    ExpectCases({
        {"selectInstancesOfType('API_ElemTypeID-5-0')", {}, R"(Handle_selectInstancesOfType("API_ElemTypeID-5-0"))"},
        {"selectInstancesOfType(12)", {"trace: TessaryBrowser::selectInstancesOfType: 12", NotAString}, ""},
        {"selectInstancesOfType(['a'])", {BadCast}, ""},
        {"specOpened(['p', 's', 'Project', 'Spec'])",
         {R"(trace: TessaryBrowser::specOpened: ["p", "s", "Project", "Spec"])"},
         R"(Handle_specOpened("p", "s", "Project", "Spec"))"},
        {"specOpened('p')", {BadCast}, ""},
        {"specOpened(['p', 's', 'P'])", {"error: specOpened: parameter number is incorrect: 3"}, ""},
        // Items beyond the count are never looked at.
        {"specOpened(['p', 's', 'P', 'S', [1]])", {"warning: failed assertion: array.GetSize() == 4"},
         R"(Handle_specOpened("p", "s", "P", "S"))"},
        // Every item is cast before any is tested.
        {"specOpened([1, ['nested'], 'P', 'S'])", {BadCast}, ""},
        {"specOpened(['p', 's', 'P', null])", {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", DEFAULT (null)])",
                                               "error: specOpened: value type mismatch"}, ""},
        // A hole cannot be printed, which costs the trace line only.
        {"specOpened(['p', , 'P', 'S'])", {"error: exception: Null reference."}, ""},
        {"specAssociationRequested(['p', 's', 'P', 'S', 'fifth', 'type'])", {},
         R"(Handle_specAssociationRequested("p", "s", "P", "S", "fifth", "type"))"},
        {"removeSpecAssociationRequested(['p', 's', 'd'])", {},
         R"(Handle_removeSpecAssociationRequested("p", "s", "d"))"},
        {R"(removeAssociationRequested(['t', 's', 'c', '{"k": "v"}']))", {},
         R"(Handle_removeAssociationRequested("t", "s", "c", {"k":"v"}))"},
        {"specOpened(['{}', '{0}', '{:>9}', '%s\\n{'])",
         {"trace: TessaryBrowser::specOpened: [\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\"]"},
         "Handle_specOpened(\"{}\", \"{0}\", \"{:>9}\", \"%s\n{\")"},
    });
    // clang-format on
}

// The document calls answer the types as one JSON text; the association calls
// read the clause properties (removeAssociationRequested shares every rule).
TEST(PageCalls, JsonTextsAreReadAndTheTypesAnsweredAsOneJsonText) {
    const std::string types = R"([{"id":"c1","title":"Walls","subtitle":"","category":"Clause",)"
                              R"("properties":{"OrvoTessaryCode":"A\u2028\"10\""},"subGroup":null},)"
                              R"({"id":"","title":"","subtitle":"","category":"","properties":null,"subGroup":null}])";
    const std::string returns = "debug: TessaryBrowser::getAllTypesInDocument returns: " + types;
    const std::string notAString = R"(error: Not a string: ["a", 1, "b", null, "c"])";
    const auto call = [](const std::string& properties) {
        return "associationRequested(['\\u00e9', 's', '', " + properties + "])";
    };
    const auto passed = [](const std::string& properties) {
        return "Handle_associationRequested(\"\u00e9\", \"s\", \"\", " + properties + ")";
    };
    const auto parseError = [](const char* at, const char* code) {
        return Lines{std::string("warning: rapidjson parse error: ") + at, std::string("error: exception: ") + code};
    };
    // clang-format off
    ExpectCases({
        {R"(getAllTypesInDocument(['doc', '["b", "a", "", "b"]']))", {returns},
         R"(Handle_getAllTypesInDocument("doc", ["b", "a", "", "b"]))", types},
        {R"(getAllTypesInDocument(['doc', '["a", 1, "b", null, "c"]']))", {notAString, notAString, returns},
         R"(Handle_getAllTypesInDocument("doc", ["a", "b", "c"]))", types},
        {R"(getAllTypesInDocument(['doc', '{"a": 1}']))", {R"(error: Not an array: {"a": 1})"}, ""},
        // A clause named again replaces the whole earlier clause; a property named again only its text.
        {R"(updateProperties(['d', 'x', '{"c1": {"a": "1", "b": "2"}, "c2": {"a": "1", "a": "2"}, )"
         R"("c1": {"z": "9"}}']))", {},
         R"(Handle_updateProperties("d", "x", {"c1": {"z":"9"}, "c2": {"a":"2"}}))"},
        {R"(updateProperties(['d', '', '{"c1": "t", "c2": {"n": 12, "a": "1", "t": true}, "c3": [], )"
         R"("c4": {"x": null}}']))",
         {"error: Not an object: property: c1", "error: Not a string: property: n",
          "error: Not a string: property: t", "error: Not an object: property: c3",
          "error: Not a string: property: x"},
         R"(Handle_updateProperties("d", "", {"c2": {"a":"1"}, "c4": {}}))"},
        {"updateProperties(['doc', '', '[]'])", {"error: Not an object: []"}, ""},
        {call(R"('{"OrvoTessaryCode": "A10", "OrvoTessaryTitle": "Walls", "OrvoTessaryCode": "A11"}')"), {},
         passed(R"({"OrvoTessaryCode":"A11","OrvoTessaryTitle":"Walls"})")},
        {call(R"('{"n": 12, "z": null, "b": true, "o": {}, "a": [], "k": "v"}')"),
         {"error: Not a string: property: n", "error: Not a string: property: z", "error: Not a string: property: b",
          "error: Not a string: property: o", "error: Not a string: property: a"}, passed(R"({"k":"v"})")},
        {call("''"), parseError("1:0", "kParseErrorDocumentEmpty"), ""},
        // Nothing may follow the root value, a NUL character included.
        {call(R"('{"a": "1"}\u0000{"b": "2"}')"), parseError("2:10", "kParseErrorDocumentRootNotSingular"), ""},
        {call(R"('{"a\\u0000x": "1\\u0000y"}')"), {}, passed(R"({"a\u0000x":"1\u0000y"})")},
        {call(R"('{"Titel": "Wand \u2013 Beton \ud83d\ude00", "\u00c4": "\\u00e9"}')"), {},
         passed("{\"Titel\":\"Wand \u2013 Beton \U0001F600\",\"\u00c4\":\"\u00e9\"}")},
    }, [](BrowserUnderTest& under) {
        TessaryConnect::Api::Properties properties;
        properties.Add("OrvoTessaryCode", "A\u2028\"10\"");
        using TessaryConnect::Api::AssociableType;
        under.callbacks->typesInDocument.Push(AssociableType("c1", "Walls", "", "Clause", properties, nullptr));
        under.callbacks->typesInDocument.Push(AssociableType());
    });
    // clang-format on
}

// Without the model only the trace is logged; the document calls do not even
// read their JSON, the association calls do.
TEST(PageCalls, WithoutTheModelEveryCallAnswersEmpty) {
    // clang-format off
    ExpectCases({
        {"selectInstancesOfType('t')", {}, ""},
        {"getAllTypesInDocument(['doc', 'not json'])", {}, ""},
        {"updateProperties(['doc', '', '[]'])", {}, ""},
        {"specOpened(['p', 's', 'P', 'S'])", {}, ""},
        {"specAssociationRequested(['p', 's', 'P', 'S', 'f', 't'])", {}, ""},
        {"removeSpecAssociationRequested(['p', 's', 'd'])", {}, ""},
        {R"(associationRequested(['t', 's', 'c', '{"a": 1}']))", {"error: Not a string: property: a"}, ""},
        {"removeAssociationRequested(['t', 's', 'c', '[]'])", {"error: Not an object: []"}, ""},
    }, [](BrowserUnderTest& under) { under.callbacks.reset(); });
    // clang-format on
}

TEST(PageCalls, AFailingModelIsLoggedAndThePageGetsTheEmptyAnswer) {
    const std::string fault = "error: exception: model fault";
    // clang-format off
    ExpectCases({
        {"specOpened(['p', 's', 'P', 'S'])", {fault}, R"(Handle_specOpened("p", "s", "P", "S"))"},
        {"tvt_onlineStateChanged('online')", {fault}, "Handle_tvt_onlineStateChanged(true)"},
        {"getAllState('unexpected')",
         {"warning: failed assertion: (asValue && asValue->GetType() == DG::JSValue::DEFAULT) || "
          "(asArray && asArray->GetItemArray().GetSize() == 0)", fault},
         "Handle_getAllState()"},
    }, [](BrowserUnderTest& under) { under.callbacks->afterCall = [] { throw std::runtime_error("model fault"); }; });
    // clang-format on
    ExpectCases({{"selectInstancesOfType('t')", {"error: unknown exception!"}, R"(Handle_selectInstancesOfType("t"))"}},
                [](BrowserUnderTest& under) { under.callbacks->afterCall = [] { throw 42; }; });
}

}  // namespace
