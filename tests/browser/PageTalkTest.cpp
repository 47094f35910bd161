// The test page and the add-on talk through the real script engine: the
// page's calls reach the model, the model's calls reach the page, and texts
// cross intact in both directions without ever running as script.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "DG/JSArray.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Api/AllState.hpp"
#include "Util/Formatters.hpp"
#include "support/BrowserUnderTest.hpp"

using TestSupport::BrowserUnderTest;

TEST(PageTalk, TheWholeStateReachesThePageAsOneJsonTextUntilTheCallbacksAreCleared) {
    BrowserUnderTest under;
    auto& page = under.Open();
    page.Init();
    under.callbacks->allState.appState.app = "Pendrake Torvel";
    under.callbacks->allState.documentState = {"plan-1", "Tower \u2028 \"A\""};
    under.Run("ask('getAllState');");
    ASSERT_EQ(under.reports.size(), 1u);
    EXPECT_EQ(under.reports[0].Text(0).ToUStr(),
              u"{\"appState\":{\"app\":\"Pendrake Torvel\",\"appVersion\":\"\",\"pluginVersion\":\"\","
              u"\"supportedFeatures\":[]},\"documentState\":{\"documentRef\":\"plan-1\",\"documentName\":"
              u"\"Tower \\u2028 \\\"A\\\"\"},\"selectionState\":{\"type\":null}}");

    page.ClearCallbackApi();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
}

// Quotes, backslashes, line breaks, separators, a closing script tag and
// attempts to break out of a literal in either quoting style: a text that
// any escaping fault would either change or run.
const PK::UniString Nasty(
    u"a\"b back\\slash\\\" \\u0041 line\nbreak\r\ttab sep\u2028ara\u2029tors "
    u"</script><script>window.pwned = 1</script> \");window.pwned=2;(\" "
    u"');window.pwned=3;(' \\\");window.pwned=4;// \U0001F600 \u0000 \u007F");

TEST(PageTalk, TextsCrossIntactBothWaysAndNeverRunAsScript) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    browser.Init();
    // The page builds the text from its code units, so nothing but the page's own value travels.
    std::string units;
    for (char16_t u : Nasty.ToUStr()) units += (units.empty() ? "" : ",") + std::to_string(unsigned(u));
    under.Run("window.orvoTessaryIntegrator.specOpened(String.fromCharCode(" + units + "), 's', 'pt', 'st')");
    EXPECT_EQ(under.callbacks->calls,
              std::vector<std::string>{fmt::format("Handle_specOpened({}, \"s\", \"pt\", \"st\")", Nasty)});

    browser.AssociateSpec(Nasty, "doc\\" + Nasty, Nasty + "\n");
    browser.SendAssociationFeedback(false, Nasty);
    browser.RequestClauseData(Nasty, "p", PK::Array<PK::UniString>{Nasty, "second"});
    browser.SetDocumentState({"ref" + Nasty, Nasty});
    under.Pump();
    ASSERT_EQ(under.reports.size(), 4u);
    const auto& r = under.reports;
    const auto& document = r[3].arguments[0].As<DG::JSObject>()->GetItemTable();
    EXPECT_EQ((std::vector<PK::UniString>{
                  r[0].Text(0), r[0].Text(1), r[0].Text(2), r[1].Text(1), r[2].Text(0),
                  r[2].arguments[2].As<DG::JSArray>()->GetItemArray()[0].As<DG::JSValue>()->GetString(),
                  document.Get("documentName").As<DG::JSValue>()->GetString()}),
              (std::vector<PK::UniString>{Nasty, "doc\\" + Nasty, Nasty + "\n", Nasty, Nasty, Nasty, Nasty}));
    EXPECT_TRUE(TVSim::Web::GetRecord(browser).executeErrors.empty());
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}
