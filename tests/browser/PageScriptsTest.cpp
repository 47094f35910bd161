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

// JSON may hold raw separators, which end a script line, and the add-on's writer copies lone surrogates as they are.
TEST(PageScripts, AJsonArgumentHasItsSeparatorsAndLoneSurrogatesEscaped) {
    EXPECT_EQ(JsonParam(u"{\"a\":\"x\u2028y\u2029\\\"\"}"), PK::UniString(u"{\"a\":\"x\\u2028y\\u2029\\\"\"}"));
    const PK::UniString json = JsonParam(u"[\"\xDC00\U0001F600\xD800\"]");
    EXPECT_EQ(json, PK::UniString(u"[\"\\uDC00\U0001F600\\uD800\"]"));
    EXPECT_EQ(PK::UniString(json.ToCStr()), json) << "changed on the way as UTF-8";
}

// A script may travel as UTF-8, which has no form for a surrogate without its partner: such a unit goes as its escape.
TEST(PageScripts, AStringLiteralCarriesNoLoneSurrogateRaw) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a\xD800z", u"\"a\\uD800z\""},
        {u"\xDC00", u"\"\\uDC00\""},
        {u"\xDFFF\xD83D", u"\"\\uDFFF\\uD83D\""},             // a low before a high is no pair
        {u"\xDBFF\xDBFF\xDC00", u"\"\\uDBFF\xDBFF\xDC00\""},  // the second high has its partner
        {u"\U0001F600<", u"\"\U0001F600\\u003C\""},           // a pair stays as it is
    };
    for (const auto& [text, literal] : cases) {
        const PK::UniString written = TessaryConnect::Implementation::StringParam(text);
        EXPECT_EQ(written, PK::UniString(literal));
        EXPECT_EQ(PK::UniString(written.ToCStr()), written) << "changed on the way as UTF-8";
    }
}

TEST(PageScripts, EachPageCallIsOneExpressionOnTheStateObject) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TessaryConnect::Api::AppState app;
    app.app = "A";
    TessaryConnect::Api::AssociableType type("id", "t", "s", "c", {}, nullptr);
    // clang-format off
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { browser.SetAppState(app); }, "setAppState(" + app.ToJSON().ToCStr() + ")"},
        {[&] { browser.SetDocumentState({}); }, "setDocumentState(null)"},
        {[&] { browser.SetSelectionState({}); }, "setSelectionState({\"type\":null})"},
        {[&] { browser.AssociateSpec("s", "d", "a\"b"); }, R"(associateSpec("s","d","a\"b"))"},
        {[&] { browser.RemoveSpecAssociation("s", "d"); }, R"(removeSpecAssociation("s","d"))"},
        {[&] { browser.Associate(type, "c1"); }, "associate(" + type.ToJSON().ToCStr() + ",\"c1\")"},
        // Control characters are escaped: a host may end a script at a raw NUL.
        {[&] { browser.RemoveAssociation(std::u16string(u"s\u0000\u0001\u007F", 4), ""); },
         R"(removeAssociation("s\u0000\u0001\u007F",""))"},
        {[&] { browser.SendAssociationFeedback(true, "ok"); }, R"(sendAssociationFeedback(true,"ok"))"},
        {[&] { browser.SendAssociationFeedback(false, "no"); }, R"(sendAssociationFeedback(false,"no"))"},
        {[&] { browser.RequestClauseData("p", "s", {}); }, R"(requestClauseData("p","s",null))"},
        {[&] { browser.RequestClauseData("p", "s", {"c1", "c2"}); }, R"(requestClauseData("p","s",["c1","c2"]))"},
    };
    // clang-format on
    for (const auto& [call, expression] : cases) {
        call();
        EXPECT_EQ(TVSim::Web::GetRecord(browser).executedScripts.back(),
                  "window.orvoTessaryState && window.orvoTessaryState." + expression);
    }
    EXPECT_TRUE(TVSim::Web::GetRecord(browser).executeErrors.empty());

    // A call the page cannot run is logged after its expression.
    under.Run("window.orvoTessaryState.associateSpec = function () { throw new Error('page fault'); }");
    under.log.Clear();
    browser.AssociateSpec("s", "d", "n");
    EXPECT_EQ(under.log.Messages().back(), "failed assertion: this->ExecuteJS(expr)");
    EXPECT_EQ(TVSim::Web::GetRecord(browser).executeErrors.back(), "Error: page fault");
}
