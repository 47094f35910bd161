// The scripts the add-on sends to the page, text for text. How texts survive
// the way into the page is shown where they cross (PageTalkTest).
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "TVSim/Web.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Implementation/StringParam.hpp"
#include "Util/Formatters.hpp"
#include "support/BrowserUnderTest.hpp"

using TessaryConnect::Implementation::JsonParam;
using TestSupport::BrowserUnderTest;

// JSON from elsewhere than the add-on's writer may hold raw separators, which end a script line.
TEST(PageScripts, AJsonArgumentHasItsSeparatorsEscaped) {
    EXPECT_EQ(JsonParam(u"{\"a\":\"x\u2028y\u2029\\\"\"}"), PK::UniString(u"{\"a\":\"x\\u2028y\\u2029\\\"\"}"));
}

TEST(PageScripts, EachPageCallIsOneExpressionOnTheStateObjectLoggedUnderItsOperation) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TessaryConnect::Api::AppState app;
    app.app = "A";
    TessaryConnect::Api::AssociableType type("id", "t", "s", "c", {}, nullptr);
    const struct {
        std::function<void()> call;
        std::string function;
        std::string expression;
    } cases[] = {
        {[&] { browser.SetAppState(app); }, "SetAppState", "setAppState(" + app.ToJSON().ToCStr() + ")"},
        {[&] { browser.SetDocumentState({}); }, "SetDocumentState", "setDocumentState(null)"},
        {[&] { browser.SetSelectionState({}); }, "SetSelectionState", "setSelectionState({\"type\":null})"},
        {[&] { browser.AssociateSpec("s", "d", "a\"b"); }, "AssociateSpec", R"(associateSpec("s","d","a\"b"))"},
        {[&] { browser.RemoveSpecAssociation("s", "d"); }, "RemoveSpecAssociation",
         R"(removeSpecAssociation("s","d"))"},
        {[&] { browser.Associate(type, "c1"); }, "Associate", "associate(" + type.ToJSON().ToCStr() + ",\"c1\")"},
        // Control characters are escaped: a host may end a script at a raw NUL.
        {[&] { browser.RemoveAssociation(std::u16string(u"s\u0000\u0001\u007F", 4), ""); }, "RemoveAssociation",
         R"(removeAssociation("s\u0000\u0001\u007F",""))"},
        {[&] { browser.SendAssociationFeedback(true, "ok"); }, "SendAssociationFeedback",
         R"(sendAssociationFeedback(true,"ok"))"},
        {[&] { browser.SendAssociationFeedback(false, "no"); }, "SendAssociationFeedback",
         R"(sendAssociationFeedback(false,"no"))"},
        {[&] { browser.RequestClauseData("p", "s", {}); }, "RequestClauseData", R"(requestClauseData("p","s",null))"},
        {[&] {
             browser.RequestClauseData("p", "s", {"c1", "c2"});
         },
         "RequestClauseData", R"(requestClauseData("p","s",["c1","c2"]))"},
    };
    for (const auto& c : cases) {
        under.log.Clear();
        c.call();
        const PK::UniString expected = "window.orvoTessaryState && window.orvoTessaryState." + c.expression;
        EXPECT_EQ(TVSim::Web::GetRecord(browser).executedScripts.back(), expected);
        ASSERT_EQ(under.log.Records().size(), 1u) << c.expression;
        EXPECT_EQ(under.log.Records()[0].level, spdlog::level::debug);
        EXPECT_EQ(under.log.Records()[0].message, fmt::format("ExecuteJS: {}", expected)) << c.expression;
        EXPECT_EQ(under.log.Records()[0].function, c.function);
    }
    EXPECT_TRUE(TVSim::Web::GetRecord(browser).executeErrors.empty());

    // A call the page cannot run is logged after its expression.
    under.Run("window.orvoTessaryState.associateSpec = function () { throw new Error('page fault'); }");
    under.log.Clear();
    browser.AssociateSpec("s", "d", "n");
    const auto messages = under.log.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].starts_with("ExecuteJS: "));
    EXPECT_EQ(messages[1], "failed assertion: this->ExecuteJS(expr)");
    EXPECT_EQ(TVSim::Web::GetRecord(browser).executeErrors.back(), "Error: page fault");
}
