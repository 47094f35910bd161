// The scripts the add-on sends to the page, text for text.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "TVSim/Web.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Implementation/StringParam.hpp"
#include "Util/Formatters.hpp"
#include "support/BrowserUnderTest.hpp"

using TessaryConnect::Implementation::JsonParam;
using TessaryConnect::Implementation::StringParam;
using TestSupport::BrowserUnderTest;

TEST(PageScripts, ATextBecomesAScriptLiteralThatCannotEndEarly) {
    const struct {
        PK::UniString text;
        PK::UniString literal;
    } cases[] = {
        {u"", u"\"\""},
        {u"a\"b", u"\"a\\\"b\""},
        {u"a\\b", u"\"a\\\\b\""},  // a backslash no longer escapes what follows it
        {u"l1\nl2\r\t", u"\"l1\\nl2\\r\\t\""},
        {u"\u0001\u001F\u007F", u"\"\\u0001\\u001F\\u007F\""},
        {u"x\u2028y\u2029z", u"\"x\\u2028y\\u2029z\""},
        {u"</script>", u"\"\\u003C/script>\""},
        {u"it's \U0001F600 \u00E9", u"\"it's \U0001F600 \u00E9\""},
    };
    for (const auto& c : cases) EXPECT_EQ(StringParam(c.text), c.literal) << c.text.ToCStr();
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
        {[&] { browser.RemoveSpecAssociation("s", "d"); }, "RemoveSpecAssociation", R"(removeSpecAssociation("s","d"))"},
        {[&] { browser.Associate(type, "c1"); }, "Associate", "associate(" + type.ToJSON().ToCStr() + ",\"c1\")"},
        {[&] { browser.RemoveAssociation("s", ""); }, "RemoveAssociation", R"(removeAssociation("s",""))"},
        {[&] { browser.SendAssociationFeedback(true, "ok"); }, "SendAssociationFeedback",
         R"(sendAssociationFeedback(true,"ok"))"},
        {[&] { browser.SendAssociationFeedback(false, "no"); }, "SendAssociationFeedback",
         R"(sendAssociationFeedback(false,"no"))"},
        {[&] { browser.RequestClauseData("p", "s", {}); }, "RequestClauseData", R"(requestClauseData("p","s",null))"},
        {[&] { browser.RequestClauseData("p", "s", {"c1", "c2"}); }, "RequestClauseData",
         R"(requestClauseData("p","s",["c1","c2"]))"},
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
