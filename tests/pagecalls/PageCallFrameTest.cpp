// What every page call shares: the shape checks of its argument, the answer
// without a model, a failing model, and the source location of its lines.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DG/JSValue.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "support/BrowserUnderTest.hpp"

namespace {

using Lines = std::vector<std::string>;
using TestSupport::BrowserUnderTest;

std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : ", ") + item;
    return joined;
}

// Too few items, more than enough, and a number in each position, for each
// function that takes an array; the items it wants are valid ones.
TEST(PageCallFrame, EveryArrayCallChecksItsItemCountAndEachItemsType) {
    const struct {
        std::string name;
        std::vector<std::string> items;
    } functions[] = {
        {"getAllTypesInDocument", {"'d'", "'[]'"}},
        {"updateProperties", {"'d'", "''", "'{}'"}},
        {"specOpened", {"'p'", "'s'", "'P'", "'S'"}},
        {"specAssociationRequested", {"'p'", "'s'", "'P'", "'S'", "'f'", "'t'"}},
        {"removeSpecAssociationRequested", {"'p'", "'s'", "'d'"}},
        {"associationRequested", {"'t'", "'s'", "'c'", "'{}'"}},
        {"removeAssociationRequested", {"'t'", "'s'", "'c'", "'{}'"}},
    };
    BrowserUnderTest under;
    under.Open().Init();
    for (const auto& f : functions) {
        const std::string n = std::to_string(f.items.size());
        const std::string call = "o." + f.name + "([";

        std::vector<std::string> items(f.items.begin(), f.items.end() - 1);
        Lines log = under.Call(call + Joined(items) + "])");
        ASSERT_EQ(log.size(), 2u) << f.name;
        EXPECT_EQ(log[1], "error: " + f.name + ": parameter number is incorrect: " + std::to_string(items.size()));

        under.callbacks->calls.clear();
        items = f.items;
        items.push_back("[[1], {}]");  // beyond the count: never looked at
        log = under.Call(call + Joined(items) + "])");
        ASSERT_GE(log.size(), 2u) << f.name;
        EXPECT_EQ(log[1], "warning: failed assertion: array.GetSize() == " + n);
        EXPECT_EQ(under.callbacks->calls.size(), 1u) << f.name;

        for (std::size_t wrong = 0; wrong < f.items.size(); ++wrong) {
            items = f.items;
            items[wrong] = "2.5";
            under.callbacks->calls.clear();
            log = under.Call(call + Joined(items) + "])");
            ASSERT_EQ(log.size(), 2u) << f.name << " " << wrong;
            EXPECT_EQ(log[1], "error: " + f.name + ": value type mismatch") << wrong;
            EXPECT_TRUE(under.callbacks->calls.empty()) << f.name << " " << wrong;
        }
    }
}

// A page script always sends some value; an empty reference can only come
// from the control itself.
TEST(PageCallFrame, AnEmptyArgumentIsRefusedByEveryFunction) {
    using TessaryConnect::Implementation::PageCalls;
    const std::string arrayRefused = "failed assertion: paramArray != nullptr";
    const std::pair<PageCalls::Function, std::string> functions[] = {
        {&PageCalls::SelectInstancesOfType,
         "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING"},
        {&PageCalls::GetAllTypesInDocument, arrayRefused},
        {&PageCalls::UpdateProperties, arrayRefused},
        {&PageCalls::SpecOpened, arrayRefused},
        {&PageCalls::SpecAssociationRequested, arrayRefused},
        {&PageCalls::RemoveSpecAssociationRequested, arrayRefused},
        {&PageCalls::AssociationRequested, arrayRefused},
        {&PageCalls::RemoveAssociationRequested, arrayRefused},
    };
    BrowserUnderTest under;
    auto& page = under.Open();
    for (const auto& [function, refusal] : functions) {
        under.log.Clear();
        const DG::JSRef answer = function(page, DG::JSRef());
        // The trace line is lost to the unprintable argument; the refusal is not.
        EXPECT_EQ(under.log.Messages(), Lines{refusal});
        ASSERT_TRUE(answer.Is<DG::JSValue>());
        EXPECT_EQ(answer.As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
        EXPECT_TRUE(under.callbacks->calls.empty());
    }
}

// Without the model only the trace is logged and the answer is empty; the
// document calls do not even read their JSON, the association calls do.
TEST(PageCallFrame, WithoutTheModelEveryCallAnswersEmpty) {
    BrowserUnderTest under;
    under.Open().Init();
    under.callbacks.reset();
    const Lines log = under.Call(R"(var answers = [];
        function keep(v) { answers.push(String(v)); }
        o.selectInstancesOfType('t').then(keep);
        o.getAllTypesInDocument(['doc', 'not json']).then(keep);
        o.updateProperties(['doc', '', '[]']).then(keep);
        o.specOpened(['p', 's', 'P', 'S']).then(keep);
        o.specAssociationRequested(['p', 's', 'P', 'S', 'f', 't']).then(keep);
        o.removeSpecAssociationRequested(['p', 's', 'd']).then(keep);
        o.associationRequested(['t', 's', 'c', '{"a": 1}']).then(keep);
        o.removeAssociationRequested(['t', 's', 'c', '[]']).then(keep);)");
    EXPECT_EQ(log, (Lines{R"(trace: TessaryBrowser::selectInstancesOfType: "t")",
                          R"(trace: TessaryBrowser::getAllTypesInDocument: ["doc", "not json"])",
                          R"(trace: TessaryBrowser::updateProperties: ["doc", "", "[]"])",
                          R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", "S"])",
                          R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "f", "t"])",
                          R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", "s", "d"])",
                          R"(trace: TessaryBrowser::associationRequested: ["t", "s", "c", "{\"a\": 1}"])",
                          "error: Not a string: property: a",
                          R"(trace: TessaryBrowser::removeAssociationRequested: ["t", "s", "c", "[]"])",
                          "error: Not an object: []"}));
    EXPECT_EQ(under.Run("answers.join('|')"), "undefined|undefined|undefined|undefined|undefined|undefined|undefined|undefined");
}

// Every line of one call carries the source location of the page function
// that answered it, also when the model fails under it; the page still gets
// the empty answer.
TEST(PageCallFrame, AFailingModelIsLoggedWhereThePageFunctionStands) {
    const std::string calls = "Tessary/Implementation/PageCalls.cpp";
    const std::string browser = "Tessary/Implementation/TessaryBrowser.cpp";
    const struct {
        std::string script;
        Lines log;  // after the trace line
        std::string file;
        std::string function;
    } cases[] = {
        {"o.selectInstancesOfType(5)", {"error: failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING"},
         calls, "SelectInstancesOfType"},
        {"o.getAllTypesInDocument(['doc', '[1]'])", {"error: Not a string: [1]", "error: exception: model fault"}, calls,
         "GetAllTypesInDocument"},
        {R"(o.updateProperties(['doc', '', '{"c": {"n": 1}, "d": 2}']))",
         {"error: Not a string: property: n", "error: Not an object: property: d", "error: exception: model fault"},
         calls, "UpdateProperties"},
        {"o.specOpened(['p', 's', 'P', 'S', 'extra'])",
         {"warning: failed assertion: array.GetSize() == 4", "error: exception: model fault"}, calls, "SpecOpened"},
        {"o.specAssociationRequested([])", {"error: specAssociationRequested: parameter number is incorrect: 0"},
         calls, "SpecAssociationRequested"},
        {"o.removeSpecAssociationRequested(['p', 's', 'd'])", {"error: exception: model fault"}, calls,
         "RemoveSpecAssociationRequested"},
        {R"(o.associationRequested(['t', 's', 'c', '{"n": 1}']))",
         {"error: Not a string: property: n", "error: exception: model fault"}, calls, "AssociationRequested"},
        {"o.removeAssociationRequested(['t', 's', 'c', '{}'])", {"error: unknown exception!"}, calls,
         "RemoveAssociationRequested"},
        {"o.tvt_onlineStateChanged('online')", {"error: exception: model fault"}, browser, "tvt_onlineStateChanged"},
        {"o.getAllState('unexpected')",
         {"warning: failed assertion: (asValue && asValue->GetType() == DG::JSValue::DEFAULT) || (asArray && "
          "asArray->GetItemArray().GetSize() == 0)",
          "error: exception: model fault"},
         browser, "getAllState"},
    };
    BrowserUnderTest under;
    under.Open().Init();
    for (const auto& c : cases) {
        under.callbacks->afterCall = [&c] {
            if (c.log.back() == "error: unknown exception!") throw 42;
            throw std::runtime_error("model fault");
        };
        Lines log = under.Call("var answer = 'unanswered'; " + c.script + ".then(function (v) { answer = v; });");
        ASSERT_FALSE(log.empty()) << c.script;
        log.erase(log.begin());
        EXPECT_EQ(log, c.log) << c.script;
        EXPECT_EQ(under.Run("answer === undefined"), "true") << c.script;
        for (const TestSupport::LogRecord& record : under.log.Records()) {
            EXPECT_EQ(record.file, c.file) << c.script << ": " << record.message;
            EXPECT_EQ(record.function, c.function) << c.script << ": " << record.message;
            EXPECT_EQ(record.line, under.log.Records()[0].line) << c.script << ": " << record.message;
        }
    }
}

}  // namespace
