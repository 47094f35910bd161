// What the user sees of the browser control: the service, the offline loader
// page, the connection-state reports, the object check and the quick login.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DG/JSValue.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Implementation/ConnectionStateScript.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "support/BrowserUnderTest.hpp"

using TessaryConnect::Implementation::TessaryBrowser;
using TestSupport::BrowserUnderTest;
using TestSupport::ServicePage;
using TestSupport::ServiceUrl;
using TVSim::Web::GetRecord;
using TVSim::Web::HtmlPageUrl;

namespace {

constexpr char OtherServicePage[] = "https://service.test/app/spec/7";

// The addresses shown, the last ones first, as "last < before < ...".
std::string Shown(TessaryBrowser& browser, std::size_t count = 2) {
    const auto& urls = GetRecord(browser).shownUrls;
    std::string text;
    for (std::size_t i = 0; i < count && i < urls.size(); ++i) text += (i ? " < " : "") + urls.rbegin()[i].ToCStr();
    return text;
}

}  // namespace

TEST(Navigation, AControlShowsTheServiceAtOnceAndRegistersItsScriptObjectUntilThatSucceeds) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    EXPECT_TRUE(under.log.Has(spdlog::level::info, "tessary.url: \"https://service.test/app\""));
    EXPECT_EQ(Shown(browser, 9), ServiceUrl);  // no loader page first

    TVSim::Web::RefuseScriptObjects(true);
    EXPECT_THAT([&] { browser.Init(); }, testing::ThrowsMessage<TessaryConnect::AddonRuntimeError>(
                                             testing::EndsWith(": error: couldn't init browser's async object")));
    EXPECT_TRUE(under.log.Has(spdlog::level::critical, "couldn't init browser's async object"));
    EXPECT_FALSE(browser.IsInitialized());
    TVSim::Web::RefuseScriptObjects(false);
    browser.Init();
    browser.Init();
    EXPECT_TRUE(browser.IsInitialized());
    EXPECT_EQ(under.log.Count(spdlog::level::trace, "TessaryBrowser::InitCallbacks"), 2u);  // refused, then once
    EXPECT_EQ(under.Run("var n = []; for (var k in window.orvoTessaryIntegrator) n.push(k); n.join()"),
              "tvt_orvoTessaryIntegrator_objectVerifier,tvt_onlineStateChanged,getAllState,selectInstancesOfType,"
              "getAllTypesInDocument,updateProperties,specOpened,specAssociationRequested,"
              "removeSpecAssociationRequested,associationRequested,removeAssociationRequested");
    TVSim::Web::AdvanceClock(2000);  // the page's check finds the object
    under.Pump();
    EXPECT_TRUE(GetRecord(browser).alerts.empty());
}

// The quick login uses the values read when the control was built, each as a
// script literal that no quote or backslash can break.
TEST(Navigation, EveryFinishedLoadRunsTheConnectionStateScriptThenTheQuickLogin) {
    BrowserUnderTest under;
    const PK::UniString password(u"it's \"q\\uoted\"\n</script>');window.pwned=1;('");
    under.SetPreference("tessary.username", "anna@example.test");
    under.SetPreference("tessary.password", password);
    auto& browser = under.Open();
    under.SetPreference("tessary.password", "changed later");
    browser.GotoHome();
    under.Pump();  // the loader page, then the service it forwards to
    const auto& scripts = GetRecord(browser).executedScripts;
    ASSERT_EQ(scripts.size(), 6u);
    for (std::size_t i = 0; i < scripts.size(); i += 2)
        EXPECT_TRUE(scripts[i] == TessaryConnect::Implementation::ConnectionStateScript &&
                    scripts[i + 1].Contains("getElementById('loginButton')"));
    ASSERT_EQ(under.reports.size(), 2u);  // the loader page has no form
    for (const auto& report : under.reports)
        EXPECT_TRUE(report.name == "signIn" && report.Text(0) == "anna@example.test" && report.Text(1) == password);
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");

    for (const char* present : {"tessary.username", "tessary.password"}) {  // either alone is no quick login
        BrowserUnderTest alone;
        alone.SetPreference(present, "x");
        EXPECT_EQ(GetRecord(alone.Open()).executedScripts.size(), 1u) << present;  // the connection-state script
    }
}

TEST(Navigation, AnOnlineReportIsTheExactWordOnlineAndOfflineKeepsTheServiceAddressEvenWithoutTheModel) {
    const struct {
        const char* argument;
        std::vector<std::string> calls;
        bool savesAddress, modelGone;
    } cases[] = {
        {"'online'", {"Handle_tvt_onlineStateChanged(true)"}, false, false},
        {"'offline'", {"Handle_tvt_onlineStateChanged(false)"}, true, false},
        {"'Online'", {"Handle_tvt_onlineStateChanged(false)"}, true, false},
        {"'offline'", {}, true, true},
        {"5", {}, false, false},
    };
    for (const auto& c : cases) {
        BrowserUnderTest under;
        TVSim::Web::RegisterPage(OtherServicePage, ServicePage());
        auto& browser = under.Open();
        browser.Init();
        browser.LoadURL(OtherServicePage);
        under.Pump();
        if (c.modelGone) browser.SetCallbackApi({});
        under.Run(std::string("orvoTessaryIntegrator.tvt_onlineStateChanged(") + c.argument + ")");
        EXPECT_EQ(under.callbacks->calls, c.calls) << c.argument;
        EXPECT_EQ(browser.GetLastTessaryUrl(), c.savesAddress ? OtherServicePage : ServiceUrl) << c.argument;
        EXPECT_EQ(under.log.Count(spdlog::level::err,
                                  "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING"),
                  c.calls.empty() && !c.modelGone ? 1u : 0u)
            << c.argument;
    }

    // The window's own events report through the connection-state script.
    BrowserUnderTest under;
    under.Open().Init();
    for (bool online : {false, true}) {
        TVSim::Web::SetOnline(online);
        under.Pump();
    }
    EXPECT_EQ(under.callbacks->calls, (std::vector<std::string>{"Handle_tvt_onlineStateChanged(false)",
                                                                "Handle_tvt_onlineStateChanged(true)"}));
}

TEST(Navigation, TwoSecondsAfterALoadThePageChecksOnceThatTheScriptObjectIsThere) {
    BrowserUnderTest missing;  // never initialised: the object is missing
    auto& browser = missing.Open();
    TVSim::Web::AdvanceClock(1999);
    EXPECT_TRUE(GetRecord(browser).alerts.empty());
    TVSim::Web::AdvanceClock(1);
    EXPECT_EQ(GetRecord(browser).alerts.size(), 1u);
    browser.ExecuteJS(TessaryConnect::Implementation::ConnectionStateScript);  // a second check, same page
    TVSim::Web::AdvanceClock(2000);
    EXPECT_EQ(GetRecord(browser).alerts,
              (std::vector<PK::UniString>{"Orvo Tessary Connect: Error Code: 1! Please try to refresh this page with "
                                          "the refresh button and report this issue."}));
}

TEST(Navigation, QuickLoginPrefersTheLoginButtonAndLeavesOtherPagesAlone) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage(ServiceUrl, ServicePage("<button id=\"loginButton\">Log in</button><script>"
                                                     "document.getElementById('loginButton').onclick = function () {"
                                                     " testProbe.report('loginButton', []); };</script>"));
    TVSim::Web::RegisterPage("https://service.test/plain", "<p>nothing to log in to</p>");
    under.SetPreference("tessary.username", "anna");
    under.SetPreference("tessary.password", "secret");
    auto& browser = under.Open();
    ASSERT_EQ(under.reports.size(), 1u);
    EXPECT_EQ(under.reports[0].name, "loginButton");
    EXPECT_EQ(under.Run("document.getElementById('Email').value"), "");
    browser.LoadURL("https://service.test/plain");
    under.Pump();
    EXPECT_EQ(under.reports.size(), 1u);
    EXPECT_TRUE(GetRecord(browser).executeErrors.empty());
}

TEST(Navigation, TheLoaderPageForwardsWhenOnlineAndOtherwiseSaysTheComputerIsOffline) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TVSim::Web::SetOnline(false);
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), HtmlPageUrl);
    EXPECT_EQ(under.Run("var t = [document.title]; var p = document.getElementsByClassName('text-container');"
                        "for (var i = 0; i < p.length; i++) t.push(p[i].textContent); t.join('|')"),
              "OrvoTessary Connect is offline...|You Are Not Connected to the Internet|"
              "This page cannot be displayed because your computer is currently offline.|"
              "You can continue to work offline with already associated clauses. See the Used clauses History tab.");
    TVSim::Web::SetOnline(true);
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), ServiceUrl);
}

TEST(Navigation, AConfiguredAddressCannotBreakOutOfTheLoaderScript) {
    const PK::UniString odd(u"https://odd.test/?q=\"</script><script>window.pwned=1</script>\\'\u2028");
    BrowserUnderTest under(false);
    TVSim::Web::RegisterPage(odd, ServicePage());
    under.SetPreference("tessary.url", odd);
    auto& browser = under.Open();
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), odd);  // forwarded to exactly the configured address
    EXPECT_TRUE(GetRecord(browser).pageErrors.empty());
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}

TEST(Navigation, TheErrorPageSendsTheControlHomeWithoutATightLoop) {
    BrowserUnderTest under(false);  // online, but the service cannot be reached
    auto& browser = under.Open();
    const auto& shown = GetRecord(browser).shownUrls;
    EXPECT_EQ(Shown(browser, 9), std::string(HtmlPageUrl) + " < " + TVSim::Web::ErrorPageUrl);

    // The loader tries again after 5 s, then after 10 s, 20 s...
    for (const auto& [wait, count] : {std::pair{4999, 2u}, {1, 4u}, {9999, 4u}, {1, 6u}}) {
        TVSim::Web::AdvanceClock(wait);
        under.Pump();
        EXPECT_EQ(shown.size(), count) << wait;
    }
    EXPECT_EQ(std::ranges::count(shown, PK::UniString(TVSim::Web::ErrorPageUrl)), 3);

    // Once the service answers, the next try shows it, and later failures start from 5 s again.
    TVSim::Web::RegisterPage(ServiceUrl, ServicePage());
    TVSim::Web::AdvanceClock(20000);
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), ServiceUrl);
    TVSim::Web::UnregisterPage(ServiceUrl);
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), HtmlPageUrl);
    TVSim::Web::AdvanceClock(5000);
    under.Pump();
    EXPECT_EQ(std::ranges::count(shown, PK::UniString(TVSim::Web::ErrorPageUrl)), 5);

    // An address that holds the error page's anywhere counts as the error page.
    const PK::UniString inside = PK::UniString("https://proxy.test/?from=") + TessaryBrowser::EngineErrorPageUrl;
    TVSim::Web::RegisterPage(inside, "<p>wrapped error</p>");
    browser.LoadURL(inside);
    under.Pump();
    EXPECT_EQ(Shown(browser), std::string(HtmlPageUrl) + " < " + inside.ToCStr());
}

TEST(Navigation, ReloadDeletesTheServiceCookiesAndTheInfoPageAndLastServiceAddressGoThroughTheLoader) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage("https://elsewhere.test/", "<p>elsewhere</p>");
    TVSim::Web::RegisterPage("https://www.pendrake.com/support/manuals/", "<p>manuals</p>");
    auto& browser = under.Open();
    browser.LoadURL("https://elsewhere.test/");
    under.Pump();
    browser.ReloadAndClearCache();
    under.Pump();
    EXPECT_EQ(GetRecord(browser).deletedCookies,
              (std::vector<std::pair<PK::UniString, PK::UniString>>{{ServiceUrl, ""}}));
    EXPECT_EQ(Shown(browser, 9), std::string("https://elsewhere.test/ < https://elsewhere.test/ < ") + ServiceUrl);
    browser.GotoInfoPage();
    under.Pump();
    EXPECT_EQ(Shown(browser), std::string("https://www.pendrake.com/support/manuals/ < ") + HtmlPageUrl);
    browser.GotoLastTessaryUrl();
    under.Pump();
    EXPECT_EQ(Shown(browser), std::string(ServiceUrl) + " < " + HtmlPageUrl);
}
