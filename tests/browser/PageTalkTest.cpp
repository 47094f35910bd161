// The test page and the add-on talk through the real script engine: the
// page's calls reach the model, the model's calls reach the page, and texts
// cross intact in both directions without ever running as script.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "BrowserUnderTest.hpp"
#include "DG/BrowserSim.hpp"
#include "DG/JSArray.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "Tessary/Api/AllState.hpp"
#include "Util/Formatters.hpp"

using BrowserTest::BrowserUnderTest;

namespace {

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

std::string Quoted(const PK::UniString& text) { return fmt::format("{}", text); }

}  // namespace

TEST(PageTalk, ThePageReachesAllElevenFunctionsOfTheScriptObjectInOrder) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    browser.Init();
    under.callbacks->allState.documentState.documentRef = "plan-1";
    under.Run(R"(
        var names = [];
        for (var name in window.orvoTessaryIntegrator) names.push(name);
        testProbe.report('names', names);
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
    ASSERT_FALSE(under.reports.empty());
    std::vector<std::string> names;
    for (const auto& n : under.reports[0].arguments) names.push_back(n.As<DG::JSValue>()->GetString().ToCStr());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "tvt_orvoTessaryIntegrator_objectVerifier", "tvt_onlineStateChanged", "getAllState",
                         "selectInstancesOfType", "getAllTypesInDocument", "updateProperties", "specOpened",
                         "specAssociationRequested", "removeSpecAssociationRequested", "associationRequested",
                         "removeAssociationRequested"}));
    EXPECT_EQ(under.callbacks->calls,
              (std::vector<std::string>{
                  "Handle_tvt_onlineStateChanged(true)", "Handle_getAllState()",
                  "Handle_selectInstancesOfType(\"type-1\")",
                  "Handle_getAllTypesInDocument(\"plan-1\", [\"Code\"])",
                  "Handle_updateProperties(\"plan-1\", \"x\", {\"c1\": {\"Code\":\"A\"}})",
                  "Handle_specOpened(\"p\", \"s\", \"pt\", \"st\")",
                  "Handle_specAssociationRequested(\"p\", \"s\", \"pt\", \"st\", \"five\", \"type\")",
                  "Handle_removeSpecAssociationRequested(\"p\", \"s\", \"plan-1\")",
                  "Handle_associationRequested(\"t\", \"s\", \"c\", {\"Code\":\"A\"})",
                  "Handle_removeAssociationRequested(\"t\", \"s\", \"c\", {\"Code\":\"A\"})"}));
    EXPECT_EQ(under.reports.size(), 12u);  // the names and every answer came back to the page
}

TEST(PageTalk, TheWholeStateReachesThePageAsOneJsonTextWithItsThreeMembersInOrder) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    browser.Init();
    under.callbacks->allState.appState.app = "Pendrake Torvel";
    under.callbacks->allState.documentState.documentRef = "plan-1";
    under.callbacks->allState.documentState.documentName = "Tower \u2028 \"A\"";
    under.Run("ask('getAllState'); ask('getAllState', 'unexpected');");
    ASSERT_EQ(under.reports.size(), 2u);
    const PK::UniString answer = under.reports[0].Text(0);
    EXPECT_TRUE(answer.BeginsWith("{\"appState\":{\"app\":\"Pendrake Torvel\"")) << answer.ToCStr();
    EXPECT_NE(answer.FindFirst("},\"documentState\":{\"documentRef\":\"plan-1\""), PK::UniString::MaxIndex);
    EXPECT_TRUE(answer.EndsWith("},\"selectionState\":{\"type\":null}}")) << answer.ToCStr();
    EXPECT_EQ(under.reports[1].Text(0), answer);  // an unexpected argument is only a warning
    EXPECT_EQ(under.log.Count(spdlog::level::warn,
                        "failed assertion: (asValue && asValue->GetType() == DG::JSValue::DEFAULT) || (asArray && "
                        "asArray->GetItemArray().GetSize() == 0)"),
              1u);
    EXPECT_EQ(under.log.Count(spdlog::level::trace, "TessaryBrowser::getAllState returns: " + Quoted(answer)), 2u);
}

TEST(PageTalk, PageTextsReachTheModelIntact) {
    BrowserUnderTest under;
    under.Open().Init();
    // Each text is built in the page from its code units, so nothing but the page's own value travels.
    for (const PK::UniString& text : Nasty) {
        under.callbacks->calls.clear();
        std::string units;
        for (char16_t u : text.ToUStr()) units += (units.empty() ? "" : ",") + std::to_string(unsigned(u));
        under.Run("window.orvoTessaryIntegrator.specOpened(String.fromCharCode(" + units + "), 's', 'pt', 'st')");
        ASSERT_EQ(under.callbacks->calls.size(), 1u);
        EXPECT_EQ(under.callbacks->calls[0], "Handle_specOpened(" + Quoted(text) + ", \"s\", \"pt\", \"st\")");
    }
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}

TEST(PageTalk, TextsOfTheModelReachThePageIntactAndNeverRunAsScript) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    for (const PK::UniString& text : Nasty) {
        under.reports.clear();
        browser.AssociateSpec(text, "doc\\" + text, text + "\n");
        browser.RemoveSpecAssociation(text, text);
        browser.RemoveAssociation(text, "x");
        browser.SendAssociationFeedback(false, text);
        browser.RequestClauseData(text, "p", PK::Array<PK::UniString>{text, "second"});
        under.Pump();
        ASSERT_EQ(under.reports.size(), 5u) << Quoted(text);
        EXPECT_EQ(under.reports[0].name, "associateSpec");
        EXPECT_EQ(under.reports[0].Text(0), text);
        EXPECT_EQ(under.reports[0].Text(1), "doc\\" + text);
        EXPECT_EQ(under.reports[0].Text(2), text + "\n");
        EXPECT_EQ(under.reports[1].Text(1), text);
        EXPECT_EQ(under.reports[2].Text(0), text);
        EXPECT_EQ(under.reports[3].arguments[0].As<DG::JSValue>()->GetBool(), false);
        EXPECT_EQ(under.reports[3].Text(1), text);
        const auto& list = under.reports[4].arguments[2].As<DG::JSArray>()->GetItemArray();
        ASSERT_EQ(list.GetSize(), 2u);
        EXPECT_EQ(list[0].As<DG::JSValue>()->GetString(), text);
    }
    EXPECT_TRUE(TVSim::Web::GetRecord(browser).executeErrors.empty());
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}

TEST(PageTalk, StateDocumentsReachThePageAsObjectsEvenWithLineSeparatorsInTheirTexts) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TessaryConnect::Api::DocumentState document;
    document.documentRef = "plan\u2028one";
    document.documentName = "</script>\u2029\"quoted\"";
    browser.SetDocumentState(document);
    TessaryConnect::Api::AppState app;
    app.app = "Pendrake Torvel";
    app.supportedFeatures = {"association", "selection"};
    browser.SetAppState(app);
    browser.SetSelectionState({});
    under.Pump();
    ASSERT_EQ(under.reports.size(), 3u);
    const auto documentObject = under.reports[0].arguments[0].As<DG::JSObject>();
    EXPECT_EQ(documentObject->GetItemTable().Get("documentRef").As<DG::JSValue>()->GetString(),
              PK::UniString(u"plan\u2028one"));
    EXPECT_EQ(documentObject->GetItemTable().Get("documentName").As<DG::JSValue>()->GetString(),
              PK::UniString(u"</script>\u2029\"quoted\""));
    EXPECT_EQ(under.reports[1].arguments[0].As<DG::JSObject>()->GetItemTable().Get("app").As<DG::JSValue>()->GetString(),
              "Pendrake Torvel");
    EXPECT_TRUE(under.reports[2].arguments[0].As<DG::JSObject>()->GetItemTable().Get("type").As<DG::JSValue>()->GetType() ==
                DG::JSValue::DEFAULT);
}

TEST(PageTalk, AFailingModelCallIsLoggedAndThePageGetsTheEmptyAnswer) {
    BrowserUnderTest under;
    under.Open().Init();
    under.callbacks->afterCall = [] { throw std::runtime_error("model fault"); };
    under.Run("ask('tvt_onlineStateChanged', 'online'); ask('getAllState');");
    EXPECT_EQ(under.log.Count(spdlog::level::err, "exception: model fault"), 2u);
    ASSERT_EQ(under.reports.size(), 2u);
    EXPECT_EQ(under.reports[0].arguments[0].As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
    EXPECT_EQ(under.reports[1].arguments[0].As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
}
