// The page calls whose arguments are plain strings, called from a page script:
// what reaches the model's page callbacks and which lines are logged.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DG/JSValue.hpp"
#include "PageUnderTest.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "support/LogCapture.hpp"

namespace {

using Lines = std::vector<std::string>;

using PageCallsTest::CallCase;

class PlainTextCall : public ::testing::TestWithParam<CallCase> {};

TEST_P(PlainTextCall, LogsAndCalls) { PageCallsTest::ExpectCase(GetParam()); }

const std::string badCast = "error: exception: Bad cast.";
const std::string nullReference = "error: exception: Null reference.";
const std::string notAString = "error: failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING";

INSTANTIATE_TEST_SUITE_P(
    SelectInstancesOfType, PlainTextCall,
    ::testing::Values(
        CallCase{"a_type_id_selects_its_instances",
                 "o.selectInstancesOfType('API_ElemTypeID-5-0')",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: "API_ElemTypeID-5-0")"},
                 {R"(Handle_selectInstancesOfType("API_ElemTypeID-5-0"))"}},
        CallCase{"an_empty_text_is_passed_on",
                 "o.selectInstancesOfType('')",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: "")"},
                 {R"(Handle_selectInstancesOfType(""))"}},
        CallCase{"a_number_is_refused",
                 "o.selectInstancesOfType(12)",
                 {"trace: TessaryBrowser::selectInstancesOfType: 12", notAString},
                 {}},
        CallCase{"no_argument_is_refused",
                 "o.selectInstancesOfType()",
                 {"trace: TessaryBrowser::selectInstancesOfType: DEFAULT (null)", notAString},
                 {}},
        CallCase{"an_array_is_a_bad_cast",
                 "o.selectInstancesOfType(['a'])",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: ["a"])", badCast},
                 {}},
        CallCase{"two_arguments_are_an_array",
                 "o.selectInstancesOfType('a', 'b')",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: ["a", "b"])", badCast},
                 {}},
        CallCase{"an_object_is_a_bad_cast",
                 "o.selectInstancesOfType({id: 'a'})",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: {"id": "a"})", badCast},
                 {}},
        CallCase{"a_function_is_a_bad_cast",
                 "o.selectInstancesOfType(function named() {})",
                 {R"(trace: TessaryBrowser::selectInstancesOfType: "named")", badCast},
                 {}}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    SpecOpened, PlainTextCall,
    ::testing::Values(
        CallCase{"four_strings_reach_the_model_in_item_order",
                 "o.specOpened(['p', 's', 'Project', 'Spec'])",
                 {R"(trace: TessaryBrowser::specOpened: ["p", "s", "Project", "Spec"])"},
                 {R"(Handle_specOpened("p", "s", "Project", "Spec"))"}},
        CallCase{"several_arguments_are_one_array",
                 "o.specOpened('p', 's', 'Project', 'Spec')",
                 {R"(trace: TessaryBrowser::specOpened: ["p", "s", "Project", "Spec"])"},
                 {R"(Handle_specOpened("p", "s", "Project", "Spec"))"}},
        CallCase{"a_fifth_string_is_only_traced",
                 "o.specOpened(['p', 's', 'P', 'S', [1, {}]])",
                 {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", "S", [1, {}]])",
                  "warning: failed assertion: array.GetSize() == 4"},
                 {R"(Handle_specOpened("p", "s", "P", "S"))"}},
        CallCase{"three_strings_are_too_few",
                 "o.specOpened(['p', 's', 'P'])",
                 {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P"])",
                  "error: specOpened: parameter number is incorrect: 3"},
                 {}},
        CallCase{"an_empty_array_is_too_few",
                 "o.specOpened([])",
                 {"trace: TessaryBrowser::specOpened: []", "error: specOpened: parameter number is incorrect: 0"},
                 {}},
        CallCase{"a_single_string_is_a_bad_cast",
                 "o.specOpened('p')",
                 {R"(trace: TessaryBrowser::specOpened: "p")", badCast},
                 {}},
        CallCase{"no_argument_is_a_bad_cast",
                 "o.specOpened()",
                 {"trace: TessaryBrowser::specOpened: DEFAULT (null)", badCast},
                 {}},
        CallCase{"every_item_is_cast_before_any_is_tested",
                 "o.specOpened([1, ['nested'], 'P', 'S'])",
                 {R"(trace: TessaryBrowser::specOpened: [1, ["nested"], "P", "S"])", badCast},
                 {}},
        CallCase{"an_object_item_is_a_bad_cast",
                 "o.specOpened(['p', 's', 'P', {}])",
                 {R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", {}])", badCast},
                 {}},
        CallCase{"a_null_item_is_a_type_mismatch",
                 "o.specOpened(['p', null, 'P', 'S'])",
                 {R"(trace: TessaryBrowser::specOpened: ["p", DEFAULT (null), "P", "S"])",
                  "error: specOpened: value type mismatch"},
                 {}},
        CallCase{"a_boolean_item_prints_as_a_digit",
                 "o.specOpened([true, 's', 'P', 'S'])",
                 {R"(trace: TessaryBrowser::specOpened: [1, "s", "P", "S"])",
                  "error: specOpened: value type mismatch"},
                 {}},
        // The hole cannot be printed, which costs the trace line only.
        CallCase{"a_missing_item_is_a_null_reference",
                 "o.specOpened(['p', , 'P', 'S'])",
                 {nullReference},
                 {}},
        CallCase{"page_text_is_never_a_format",
                 "o.specOpened(['{}', '{0}', '{:>9}', '%s\\n{'])",
                 {R"(trace: TessaryBrowser::specOpened: ["{}", "{0}", "{:>9}", "%s)"
                  "\n"
                  R"({"])"},
                 {R"(Handle_specOpened("{}", "{0}", "{:>9}", "%s)"
                  "\n"
                  R"({"))"}},
        CallCase{"texts_beyond_ascii_arrive_whole",
                 "o.specOpened(['\\u00e9', '\\ud83d\\ude00', 'Wand \\u2013 Beton', 'a\\u0000b'])",
                 {"trace: TessaryBrowser::specOpened: [\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", "
                  "\"a" + std::string(1, '\0') + "b\"]"},
                 {"Handle_specOpened(\"\u00e9\", \"\U0001F600\", \"Wand \u2013 Beton\", \"a" +
                  std::string(1, '\0') + "b\")"}}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    SpecAssociationRequested, PlainTextCall,
    ::testing::Values(
        CallCase{"six_strings_reach_the_model_in_item_order",
                 "o.specAssociationRequested(['p', 's', 'P', 'S', 'fifth', 'type'])",
                 {R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "fifth", "type"])"},
                 {R"(Handle_specAssociationRequested("p", "s", "P", "S", "fifth", "type"))"}},
        CallCase{"four_strings_are_too_few",
                 "o.specAssociationRequested(['p', 's', 'P', 'S'])",
                 {R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S"])",
                  "error: specAssociationRequested: parameter number is incorrect: 4"},
                 {}},
        CallCase{"five_strings_are_too_few",
                 "o.specAssociationRequested(['p', 's', 'P', 'S', 'f'])",
                 {R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "f"])",
                  "error: specAssociationRequested: parameter number is incorrect: 5"},
                 {}},
        CallCase{"seven_strings_are_one_too_many",
                 "o.specAssociationRequested(['p', 's', 'P', 'S', 'f', 't', 'x'])",
                 {R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "f", "t", "x"])",
                  "warning: failed assertion: array.GetSize() == 6"},
                 {R"(Handle_specAssociationRequested("p", "s", "P", "S", "f", "t"))"}}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    RemoveSpecAssociationRequested, PlainTextCall,
    ::testing::Values(
        CallCase{"three_strings_reach_the_model_in_item_order",
                 "o.removeSpecAssociationRequested(['p', 's', 'doc'])",
                 {R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", "s", "doc"])"},
                 {R"(Handle_removeSpecAssociationRequested("p", "s", "doc"))"}},
        CallCase{"a_number_between_strings_is_a_type_mismatch",
                 "o.removeSpecAssociationRequested(['p', 7, 'doc'])",
                 {R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", 7, "doc"])",
                  "error: removeSpecAssociationRequested: value type mismatch"},
                 {}},
        CallCase{"two_strings_are_too_few",
                 "o.removeSpecAssociationRequested(['p', 's'])",
                 {R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", "s"])",
                  "error: removeSpecAssociationRequested: parameter number is incorrect: 2"},
                 {}}),
    [](const auto& info) { return info.param.what; });

// Every position of every plain-text array call is tested for its type.
TEST(PlainTextCalls, ANonStringInAnyPositionIsATypeMismatch) {
    struct Function {
        std::string name;
        int count;
    };
    for (const Function& f : {Function{"specOpened", 4}, Function{"specAssociationRequested", 6},
                              Function{"removeSpecAssociationRequested", 3}}) {
        for (int wrong = 0; wrong < f.count; ++wrong) {
            std::string items;
            for (int i = 0; i < f.count; ++i) items += std::string(i ? ", " : "") + (i == wrong ? "2.5" : "'x'");
            PageCallsTest::PageUnderTest page;
            const auto log = page.Call("orvoTessaryIntegrator." + f.name + "([" + items + "])");
            ASSERT_EQ(log.size(), 2u) << f.name << " " << wrong;
            EXPECT_EQ(log[1], "error: " + f.name + ": value type mismatch") << wrong;
            EXPECT_TRUE(page.callbacks->calls.empty()) << f.name << " " << wrong;
        }
    }
}

TEST(PlainTextCalls, WithoutTheModelOnlyTheTraceIsLoggedAndTheAnswerIsEmpty) {
    PageCallsTest::PageUnderTest page;
    page.callbacks.reset();
    const auto log = page.Call(R"(var answers = [];
        function keep(v) { answers.push(v === undefined ? 'undefined' : String(v)); }
        var o = orvoTessaryIntegrator;
        o.selectInstancesOfType('t').then(keep);
        o.specOpened(['p', 's', 'P', 'S']).then(keep);
        o.specAssociationRequested(['p', 's', 'P', 'S', 'f', 't']).then(keep);
        o.removeSpecAssociationRequested(['p', 's', 'd']).then(keep);)");
    EXPECT_EQ(log, (Lines{R"(trace: TessaryBrowser::selectInstancesOfType: "t")",
                          R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", "S"])",
                          R"(trace: TessaryBrowser::specAssociationRequested: ["p", "s", "P", "S", "f", "t"])",
                          R"(trace: TessaryBrowser::removeSpecAssociationRequested: ["p", "s", "d"])"}));
    EXPECT_EQ(page.Eval("answers.join('|')"), "undefined|undefined|undefined|undefined");
}

TEST(PlainTextCalls, AFailingModelIsLoggedAndThePageStillGetsTheEmptyAnswer) {
    PageCallsTest::PageUnderTest page;
    page.callbacks->afterCall = [] { throw std::runtime_error("model says {} no"); };
    EXPECT_EQ(page.Call("var a = 'unanswered'; orvoTessaryIntegrator.specOpened(['p', 's', 'P', 'S']).then(function (v) { a = v; })"),
              (Lines{R"(trace: TessaryBrowser::specOpened: ["p", "s", "P", "S"])", "error: exception: model says {} no"}));
    EXPECT_EQ(page.Eval("a === undefined"), "true");
    EXPECT_EQ(page.callbacks->calls.size(), 1u);

    page.callbacks->afterCall = [] { throw 42; };
    EXPECT_EQ(page.Call("orvoTessaryIntegrator.selectInstancesOfType('t')"),
              (Lines{R"(trace: TessaryBrowser::selectInstancesOfType: "t")", "error: unknown exception!"}));
}

}  // namespace

namespace {

// A page script always sends some value; an empty reference can only come
// from the control itself.
TEST(PageCallFrame, AnEmptyArgumentIsRefusedByEveryFunction) {
    using TessaryConnect::Implementation::PageCalls;
    using Function = DG::JSRef (*)(TessaryConnect::Api::Tessary&, const DG::JSRef&);
    const std::string arrayRefused = "error: failed assertion: paramArray != nullptr";
    const std::vector<std::pair<Function, std::string>> functions = {
        {&PageCalls::SelectInstancesOfType, notAString},
        {&PageCalls::GetAllTypesInDocument, arrayRefused},
        {&PageCalls::UpdateProperties, arrayRefused},
        {&PageCalls::SpecOpened, arrayRefused},
        {&PageCalls::SpecAssociationRequested, arrayRefused},
        {&PageCalls::RemoveSpecAssociationRequested, arrayRefused},
        {&PageCalls::AssociationRequested, arrayRefused},
        {&PageCalls::RemoveAssociationRequested, arrayRefused},
    };
    for (const auto& [function, refusal] : functions) {
        PageCallsTest::PageUnderTest page;
        TestSupport::LogCapture log;
        const DG::JSRef answer = function(page.Page(), DG::JSRef());
        // The trace line is lost to the unprintable argument; the refusal is not.
        EXPECT_EQ(log.Messages(), Lines{refusal.substr(std::string("error: ").size())});
        ASSERT_TRUE(answer.Is<DG::JSValue>());
        EXPECT_EQ(answer.As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
        EXPECT_TRUE(page.callbacks->calls.empty());
    }
}

}  // namespace
