// The test page and the add-on talk through the real script engine: the
// page's calls reach the model, the model's calls reach the page, and texts
// cross intact in both directions without ever running as script.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "TVSim/Web.hpp"
#include "DG/JSArray.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "Tessary/Api/AllState.hpp"
#include "Util/Formatters.hpp"
#include "support/BrowserUnderTest.hpp"

using TestSupport::BrowserUnderTest;

TEST(PageTalk, ThePageReachesAllElevenFunctionsOfTheScriptObjectInOrder) {
    BrowserUnderTest under;
    under.Open().Init();
    EXPECT_EQ(under.Run("var n = []; for (var k in window.orvoTessaryIntegrator) n.push(k); n.join()"),
              "tvt_orvoTessaryIntegrator_objectVerifier,tvt_onlineStateChanged,getAllState,selectInstancesOfType,"
              "getAllTypesInDocument,updateProperties,specOpened,specAssociationRequested,"
              "removeSpecAssociationRequested,associationRequested,removeAssociationRequested");
    under.Run(R"(
        ask('tvt_orvoTessaryIntegrator_objectVerifier');
        ask('tvt_onlineStateChanged', 'online');
        ask('getAllState');
        ask('selectInstancesOfType', 'type-1');
        ask('getAllTypesInDocument', 'plan-1', '["Code"]');
        ask('updateProperties', 'plan-1', 'x', '{"c1":{"Code":"A"}}');
        ask('specOpened', 'p', 's', 'pt', 'st');
        ask('specAssociationRequested', 'p', 's', 'pt', 'st', 'five', 'type');
        ask('removeSpecAssociationRequested', 'p', 's', 'plan-1');
        ask('associationRequested', 't', 's', 'c', '{"Code":"A"}');
        ask('removeAssociationRequested', 't', 's', 'c', '{"Code":"A"}');
    )");
    EXPECT_EQ(under.reports.size(), 11u);           // every answer came back to the page
    EXPECT_EQ(under.callbacks->calls.size(), 10u);  // every function but the object check calls the model
}

TEST(PageTalk, TheWholeStateReachesThePageAsOneJsonTextWithItsThreeMembersInOrder) {
    BrowserUnderTest under;
    under.Open().Init();
    under.callbacks->allState.appState.app = "Pendrake Torvel";
    under.callbacks->allState.documentState = {"plan-1", "Tower \u2028 \"A\""};
    under.Run("ask('getAllState'); ask('getAllState', 'unexpected');");
    ASSERT_EQ(under.reports.size(), 2u);
    const PK::UniString answer = under.reports[0].Text(0);
    EXPECT_EQ(answer.ToUStr(),
              u"{\"appState\":{\"app\":\"Pendrake Torvel\",\"appVersion\":\"\",\"pluginVersion\":\"\","
              u"\"supportedFeatures\":[]},\"documentState\":{\"documentRef\":\"plan-1\",\"documentName\":"
              u"\"Tower \\u2028 \\\"A\\\"\"},\"selectionState\":{\"type\":null}}");
    EXPECT_EQ(under.reports[1].Text(0), answer);  // an unexpected argument is only a warning
    EXPECT_EQ(under.log.Count(spdlog::level::trace, fmt::format("TessaryBrowser::getAllState returns: {}", answer)), 2u);
}

TEST(PageTalk, ThePageReachesTheLastCallbacksSetOnlyWhileTheirOwnerKeepsThem) {
    BrowserUnderTest under;
    auto& page = under.Open();
    auto other = std::make_shared<TestSupport::RecordingCallbackApi>();
    page.SetCallbackApi(other);
    EXPECT_EQ(page.GetCallbackApi(), other);
    other.reset();  // the page does not keep them alive
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
    page.SetCallbackApi(under.callbacks);
    page.ClearCallbackApi();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
}

// Quotes, backslashes, line breaks, separators, a closing script tag and
// attempts to break out of a literal in either quoting style.
const PK::UniString Nasty[] = {
    PK::UniString(u"a\"b"),
    PK::UniString(u"back\\slash\\\" and \\u0041"),
    PK::UniString(u"line\nbreak\r\ttab"),
    PK::UniString(u"sep\u2028ara\u2029tors"),
    PK::UniString(u"</script><script>window.pwned = 1</script>"),
    PK::UniString(u"\");window.pwned=2;(\""),
    PK::UniString(u"');window.pwned=3;('"),
    PK::UniString(u"\\\");window.pwned=4;//"),
    PK::UniString(u""),
    PK::UniString(u"\U0001F600 \u0000 \u007F"),
};

TEST(PageTalk, TextsCrossIntactBothWaysAndNeverRunAsScript) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    browser.Init();
    for (const PK::UniString& text : Nasty) {
        // The page builds the text from its code units, so nothing but the page's own value travels.
        std::string units;
        for (char16_t u : text.ToUStr()) {
            if (!units.empty()) units += ',';
            units += std::to_string(unsigned(u));
        }
        under.callbacks->calls.clear();
        under.Run("window.orvoTessaryIntegrator.specOpened(String.fromCharCode(" + units + "), 's', 'pt', 'st')");
        EXPECT_EQ(under.callbacks->calls,
                  std::vector<std::string>{fmt::format("Handle_specOpened({}, \"s\", \"pt\", \"st\")", text)});

        under.reports.clear();
        browser.AssociateSpec(text, "doc\\" + text, text + "\n");
        browser.SendAssociationFeedback(false, text);
        browser.RequestClauseData(text, "p", PK::Array<PK::UniString>{text, "second"});
        browser.SetDocumentState({"ref" + text, text});
        under.Pump();
        ASSERT_EQ(under.reports.size(), 4u) << fmt::format("{}", text);
        EXPECT_EQ(under.reports[0].Text(0), text);
        EXPECT_EQ(under.reports[0].Text(1), "doc\\" + text);
        EXPECT_EQ(under.reports[0].Text(2), text + "\n");
        EXPECT_EQ(under.reports[1].Text(1), text);
        EXPECT_EQ(under.reports[2].Text(0), text);
        EXPECT_EQ(under.reports[2].arguments[2].As<DG::JSArray>()->GetItemArray()[0].As<DG::JSValue>()->GetString(),
                  text);
        const auto& document = under.reports[3].arguments[0].As<DG::JSObject>()->GetItemTable();
        EXPECT_EQ(document.Get("documentName").As<DG::JSValue>()->GetString(), text);
    }
    EXPECT_TRUE(TVSim::Web::GetRecord(browser).executeErrors.empty());
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}
