// What the user sees of the browser control: the service, the offline loader
// page, the connection-state reports, the object check and the quick login.
#include <gtest/gtest.h>

#include "BrowserUnderTest.hpp"
#include "DG/BrowserSim.hpp"
#include "DG/JSValue.hpp"
#include "PK/Runnable.hpp"
#include "Tessary/Implementation/ConnectionStateScript.hpp"
#include "Tessary/Implementation/UrlLoaderHtml.hpp"
#include "Torvel/Api/AddonRuntimeError.hpp"

using BrowserTest::BrowserUnderTest;
using BrowserTest::ServiceUrl;
using TessaryConnect::Implementation::TessaryBrowser;
using TVSim::Web::GetRecord;

namespace {

const char* const ObjectCheckAlert =
    "Orvo Tessary Connect: Error Code: 1! Please try to refresh this page with the refresh button and report this issue.";

std::size_t CountOf(const std::vector<PK::UniString>& items, const PK::UniString& item) {
    return static_cast<std::size_t>(std::count(items.begin(), items.end(), item));
}

}  // namespace

TEST(Navigation, AControlShowsTheConfiguredServiceDirectlyAndKnowsItsThreeAddresses) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    EXPECT_TRUE(under.log.Has(spdlog::level::info, "tessary.url: \"https://service.test/app\""));
    EXPECT_EQ(GetRecord(browser).shownUrls, (std::vector<PK::UniString>{ServiceUrl}));  // no loader page first
    EXPECT_EQ(browser.GetHomeUrl(), ServiceUrl);
    EXPECT_EQ(browser.GetCurrentUrl(), ServiceUrl);
    EXPECT_EQ(browser.GetLastTessaryUrl(), ServiceUrl);
    EXPECT_FALSE(browser.IsInitialized());
    EXPECT_EQ(TessaryBrowser::EngineErrorPageUrl, std::string(TVSim::Web::ErrorPageUrl));
}

TEST(Navigation, InitRegistersTheScriptObjectOnceAndTriesAgainAfterARefusal) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TVSim::Web::RefuseScriptObjects(true);
    try {
        browser.Init();
        ADD_FAILURE() << "a refused registration must throw";
    } catch (const TessaryConnect::AddonRuntimeError& e) {
        EXPECT_TRUE(std::string(e.what()).ends_with(": error: couldn't init browser's async object")) << e.what();
    }
    EXPECT_TRUE(under.log.Has(spdlog::level::critical, "couldn't init browser's async object"));
    EXPECT_FALSE(browser.IsInitialized());

    TVSim::Web::RefuseScriptObjects(false);
    browser.Init();
    browser.Init();
    EXPECT_TRUE(browser.IsInitialized());
    EXPECT_EQ(under.log.Count(spdlog::level::trace, "TessaryBrowser::InitCallbacks"), 2u);  // refused, then once
    EXPECT_EQ(under.Run("typeof window.orvoTessaryIntegrator.getAllState"), "function");
}

TEST(Navigation, EveryFinishedLoadRunsTheConnectionStateScriptThenTheQuickLogin) {
    BrowserUnderTest under;
    under.SetPreference("tessary.username", "user");
    under.SetPreference("tessary.password", "secret");
    auto& browser = under.Open();
    browser.GotoHome();
    under.Pump();  // the loader page, then the service it forwards to
    const auto& scripts = GetRecord(browser).executedScripts;
    ASSERT_EQ(scripts.size(), 6u);
    for (std::size_t i = 0; i < scripts.size(); i += 2) {
        EXPECT_EQ(scripts[i], TessaryConnect::Implementation::ConnectionStateScript);
        EXPECT_TRUE(scripts[i + 1].Contains("getElementById('loginButton')"));
    }
    EXPECT_EQ(under.log.Count(spdlog::level::trace, "QuickLogin"), 3u);
}

TEST(Navigation, GoingOfflineAndOnlineIsReportedAndOfflineKeepsTheServiceAddress) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage("https://service.test/app/spec/7", BrowserTest::ServicePage());
    auto& browser = under.Open();
    browser.Init();
    browser.LoadURL("https://service.test/app/spec/7");
    under.Pump();
    TVSim::Web::SetOnline(false);
    under.Pump();
    EXPECT_EQ(browser.GetLastTessaryUrl(), "https://service.test/app/spec/7");
    TVSim::Web::SetOnline(true);
    under.Pump();
    EXPECT_EQ(under.callbacks->calls, (std::vector<std::string>{"Handle_tvt_onlineStateChanged(false)",
                                                                "Handle_tvt_onlineStateChanged(true)"}));
}

TEST(Navigation, AnOnlineReportIsTheExactWordOnlineAndAnythingButAStringIsRefused) {
    struct Case {
        const char* argument;
        const char* call;  // "" for none
        bool savesAddress;
    };
    const Case cases[] = {
        {"'online'", "Handle_tvt_onlineStateChanged(true)", false},
        {"'offline'", "Handle_tvt_onlineStateChanged(false)", true},
        {"'Online'", "Handle_tvt_onlineStateChanged(false)", true},
        {"'ONLINE'", "Handle_tvt_onlineStateChanged(false)", true},
        {"5", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        BrowserUnderTest under;
        TVSim::Web::RegisterPage("https://service.test/other", BrowserTest::ServicePage());
        auto& browser = under.Open();
        browser.Init();
        browser.LoadURL("https://service.test/other");
        under.Pump();
        under.Run(std::string("orvoTessaryIntegrator.tvt_onlineStateChanged(") + c.argument + ")");
        EXPECT_EQ(under.callbacks->calls,
                  *c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << c.argument;
        EXPECT_EQ(browser.GetLastTessaryUrl(), c.savesAddress ? "https://service.test/other" : ServiceUrl)
            << c.argument;
        EXPECT_EQ(under.log.Count(spdlog::level::err,
                                  "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING"),
                  *c.call ? 0u : 1u)
            << c.argument;
    }
}

TEST(Navigation, WithoutTheModelAnOfflineReportStillKeepsTheServiceAddress) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    browser.Init();
    under.callbacks.reset();  // the model is gone
    under.Run("ask('tvt_onlineStateChanged', 'offline'); ask('getAllState');");
    EXPECT_EQ(browser.GetLastTessaryUrl(), ServiceUrl);
    ASSERT_EQ(under.reports.size(), 2u);
    EXPECT_EQ(under.reports[1].arguments[0].As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
}

TEST(Navigation, TwoSecondsAfterALoadThePageChecksThatTheScriptObjectIsThere) {
    {
        BrowserUnderTest under;  // never initialised: the object is missing
        auto& browser = under.Open();
        TVSim::Web::AdvanceClock(1999);
        EXPECT_TRUE(GetRecord(browser).alerts.empty());
        TVSim::Web::AdvanceClock(1);
        EXPECT_EQ(GetRecord(browser).alerts, (std::vector<PK::UniString>{ObjectCheckAlert}));
        browser.ExecuteJS(TessaryConnect::Implementation::ConnectionStateScript);  // a second check, same page
        TVSim::Web::AdvanceClock(2000);
        EXPECT_EQ(GetRecord(browser).alerts.size(), 1u);  // once per loaded page
    }
    {
        BrowserUnderTest under;
        auto& browser = under.Open();
        browser.Init();
        TVSim::Web::AdvanceClock(2000);
        under.Pump();
        EXPECT_TRUE(GetRecord(browser).alerts.empty());
        EXPECT_EQ(under.log.Count(spdlog::level::trace,
                                  "TessaryBrowser::tvt_orvoTessaryIntegrator_objectVerifier: verified"),
                  1u);
    }
}

TEST(Navigation, QuickLoginFillsTheFormWithTheStoredValuesAndSendsIt) {
    BrowserUnderTest under;
    const PK::UniString password(u"it's \"q\\uoted\"\n</script>');window.pwned=1;('");
    under.SetPreference("tessary.username", "anna@example.test");
    under.SetPreference("tessary.password", password);
    under.Open();
    ASSERT_EQ(under.reports.size(), 1u);
    EXPECT_EQ(under.reports[0].name, "signIn");
    EXPECT_EQ(under.reports[0].Text(0), "anna@example.test");
    EXPECT_EQ(under.reports[0].Text(1), password);
    EXPECT_EQ(under.Run("typeof window.pwned"), "undefined");
}

TEST(Navigation, QuickLoginPrefersTheLoginButtonAndLeavesOtherPagesAlone) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage(ServiceUrl, BrowserTest::ServicePage(
                                             "<button id=\"loginButton\">Log in</button><script>"
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

TEST(Navigation, WithoutUserNameOrPasswordThereIsNoQuickLogin) {
    for (const char* missing : {"tessary.username", "tessary.password"}) {
        BrowserUnderTest under;
        under.SetPreference("tessary.username", "anna");
        under.SetPreference("tessary.password", "secret");
        under.SetPreference(missing, "");
        auto& browser = under.Open();
        EXPECT_TRUE(under.reports.empty()) << missing;
        EXPECT_FALSE(under.log.Has(spdlog::level::trace, "QuickLogin")) << missing;
        EXPECT_EQ(GetRecord(browser).executedScripts.size(), 1u) << missing;  // the connection-state script only
    }
}

TEST(Navigation, ALaterControlLogsInWithTheValuesStoredWhenItWasBuilt) {
    BrowserUnderTest under;
    under.SetPreference("tessary.username", "first");
    under.SetPreference("tessary.password", "one");
    under.Open();
    under.SetPreference("tessary.username", "second");
    under.SetPreference("tessary.password", "two");
    under.reports.clear();
    under.Open();  // the palette's browser panel opened again
    ASSERT_EQ(under.reports.size(), 1u);
    EXPECT_EQ(under.reports[0].Text(0), "second");
    EXPECT_EQ(under.reports[0].Text(1), "two");
}

TEST(Navigation, TheLoaderPageForwardsWhenOnlineAndOtherwiseSaysTheComputerIsOffline) {
    BrowserUnderTest under;
    auto& browser = under.Open();
    TVSim::Web::SetOnline(false);
    under.Pump();
    browser.GotoHome();
    under.Pump();
    EXPECT_TRUE(under.log.Has(spdlog::level::trace, "TessaryBrowser::GotoHome"));
    EXPECT_EQ(under.ShownUrl(), TVSim::Web::HtmlPageUrl);
    EXPECT_EQ(under.Run("document.title"), "OrvoTessary Connect is offline...");
    EXPECT_EQ(under.Run("var t = []; var p = document.getElementsByClassName('text-container');"
                        "for (var i = 0; i < p.length; i++) t.push(p[i].textContent); t.join('|')"),
              "You Are Not Connected to the Internet|"
              "This page cannot be displayed because your computer is currently offline.|"
              "You can continue to work offline with already associated clauses. See the Used clauses History tab.");
    EXPECT_EQ(under.Run("document.getElementsByClassName('title')[0].textContent"),
              "You Are Not Connected to the Internet");

    TVSim::Web::SetOnline(true);
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), ServiceUrl);
}

TEST(Navigation, TheLoaderPageIsTheSameForEveryTargetButTheForwardingLiteral) {
    using TessaryConnect::Implementation::GetUrlLoaderHtml;
    const PK::UniString a = GetUrlLoaderHtml("https://a.test/");
    PK::UniString b = GetUrlLoaderHtml("https://b.test/x");
    EXPECT_EQ(a.ToCStr().find("${TARGET_URL}"), std::string::npos);
    EXPECT_NE(a.FindFirst("window.location.replace(\"https://a.test/\");"), PK::UniString::MaxIndex);
    b.ReplaceAll("https://b.test/x", "https://a.test/");
    EXPECT_EQ(a, b);
    for (const char* style : {"background-color: rgb(246, 246, 246);", "cursor: default;", "text-align: center;",
                              "font-family: arial;", "min-width: 320px;", "max-width: 580px;", "width: 50%;",
                              "font-size: 28px;", "font-weight: 700;", "line-height: 34px;", "font-size: 13px;",
                              "line-height: 18px;", "padding: 0px 24px;", "color: rgb(133, 133, 133);",
                              "width: 100%;", "word-wrap: break-word;"})
        EXPECT_NE(a.FindFirst(style), PK::UniString::MaxIndex) << style;
}

TEST(Navigation, AConfiguredAddressCannotBreakOutOfTheLoaderScript) {
    const PK::UniString odd(u"https://odd.test/?q=\"</script><script>window.pwned=1</script>\\'\u2028");
    TVSim::Web::Reset();
    BrowserUnderTest under(false);
    TVSim::Web::RegisterPage(odd, BrowserTest::ServicePage());
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
    EXPECT_EQ(shown, (std::vector<PK::UniString>{TVSim::Web::ErrorPageUrl, TVSim::Web::HtmlPageUrl}));
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u);  // nothing keeps re-posting itself

    // The loader tries again after 5 s, then after 10 s, 20 s...
    TVSim::Web::AdvanceClock(4999);
    under.Pump();
    EXPECT_EQ(shown.size(), 2u);
    TVSim::Web::AdvanceClock(1);
    under.Pump();
    EXPECT_EQ(shown.size(), 4u);
    TVSim::Web::AdvanceClock(9999);
    under.Pump();
    EXPECT_EQ(shown.size(), 4u);
    TVSim::Web::AdvanceClock(1);
    under.Pump();
    EXPECT_EQ(shown.size(), 6u);
    EXPECT_EQ(CountOf(shown, TVSim::Web::ErrorPageUrl), 3u);

    // Once the service answers, the next try shows it, and later failures start from 5 s again.
    TVSim::Web::RegisterPage(ServiceUrl, BrowserTest::ServicePage());
    TVSim::Web::AdvanceClock(20000);
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), ServiceUrl);
    TVSim::Web::UnregisterPage(ServiceUrl);
    browser.GotoHome();
    under.Pump();
    EXPECT_EQ(under.ShownUrl(), TVSim::Web::HtmlPageUrl);
    TVSim::Web::AdvanceClock(5000);
    under.Pump();
    EXPECT_EQ(CountOf(shown, TVSim::Web::ErrorPageUrl), 5u);
}

TEST(Navigation, AnAddressHoldingTheErrorPageAnywhereLeadsToTheLoaderPage) {
    BrowserUnderTest under;
    const PK::UniString inside = PK::UniString("https://proxy.test/?from=") + TVSim::Web::ErrorPageUrl;
    TVSim::Web::RegisterPage(inside, "<p>wrapped error</p>");
    auto& browser = under.Open();
    browser.LoadURL(inside);
    PK::MainMessageLoop::RunPending(1);
    EXPECT_EQ(browser.GetCurrentUrl(), inside);
    PK::MainMessageLoop::RunPending(1);
    EXPECT_EQ(under.ShownUrl(), TVSim::Web::HtmlPageUrl);
    EXPECT_EQ(under.Run("document.title"), "OrvoTessary Connect is offline...");
}

TEST(Navigation, ReloadDeletesTheServiceCookiesAndReloadsWhateverIsShown) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage("https://elsewhere.test/", "<p>elsewhere</p>");
    auto& browser = under.Open();
    browser.LoadURL("https://elsewhere.test/");
    under.Pump();
    browser.ReloadAndClearCache();
    under.Pump();
    EXPECT_TRUE(under.log.Has(spdlog::level::trace, "TessaryBrowser::ReloadAndClearCache"));
    const auto& record = GetRecord(browser);
    ASSERT_EQ(record.deletedCookies.size(), 1u);
    EXPECT_EQ(record.deletedCookies[0].first, ServiceUrl);
    EXPECT_EQ(record.deletedCookies[0].second, "");
    EXPECT_EQ(record.shownUrls.back(), "https://elsewhere.test/");
    EXPECT_EQ(CountOf(record.shownUrls, "https://elsewhere.test/"), 2u);
}

TEST(Navigation, TheInfoPageAndTheLastServiceAddressGoThroughTheLoaderPage) {
    BrowserUnderTest under;
    TVSim::Web::RegisterPage("https://www.pendrake.com/support/manuals/", "<p>manuals</p>");
    auto& browser = under.Open();
    browser.GotoInfoPage();
    under.Pump();
    EXPECT_TRUE(under.log.Has(spdlog::level::trace, "TessaryBrowser::GotoInfoPage"));
    const auto& shown = GetRecord(browser).shownUrls;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2], TVSim::Web::HtmlPageUrl);
    EXPECT_EQ(shown.back(), "https://www.pendrake.com/support/manuals/");
    browser.GotoLastTessaryUrl();
    under.Pump();
    EXPECT_EQ(shown[shown.size() - 2], TVSim::Web::HtmlPageUrl);
    EXPECT_EQ(shown.back(), ServiceUrl);
}
