// The substitute browser control: pages really run on the script engine, and
// calls between page and add-on keep the order and isolation of a real one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DG/Browser.hpp"
#include "TVSim/Web.hpp"
#include "DG/JSArray.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "PK/Runnable.hpp"

namespace {

using TVSim::Web::Evaluate;
using TVSim::Web::GetRecord;

struct TestBrowser : DG::Browser {
    DG::Panel panel;
    std::vector<std::string> events;
    TestBrowser() : DG::Browser(panel, 1) {
        onURLChange += [this](const DG::BrowserURLChangeArg& a) { events.push_back("url " + a.url.ToCStr()); };
        onLoadingStateChange += [this](const DG::BrowserLoadingStateChangeArg& a) {
            events.push_back(a.isLoading ? "loading" : "loaded");
        };
    }
    std::string Eval(const char* script) {
        PK::UniString error;
        auto result = Evaluate(*this, script, &error);
        return result ? result->ToCStr() : "error: " + error.ToCStr();
    }
};

// An object whose one function keeps every argument it gets and answers with
// what answer() gives.
struct Recorder {
    std::vector<DG::JSRef> arguments;
    std::function<DG::JSRef(DG::JSRef)> answer = [](DG::JSRef) { return DG::JSRef(new DG::JSValue()); };
    bool insideCall = false;

    PK::Ref<DG::JSObject> Object(const char* name = "addon") {
        auto object = PK::NewRef<DG::JSObject>(name);
        object->AddItem(PK::NewRef<DG::JSFunction>("take", [this](DG::JSRef arg) {
            arguments.push_back(arg);
            return answer(arg);
        }));
        return object;
    }
};

class BrowserSubstitute : public ::testing::Test {
protected:
    void SetUp() override { TVSim::Web::Reset(); }
    void TearDown() override { PK::MainMessageLoop::Clear(); }
};

}  // namespace

TEST_F(BrowserSubstitute, ALoadShowsThePageFromTheMainLoopWithItsEventsInOrderAndRunsItsScripts) {
    TVSim::Web::RegisterPage("https://service.test/", R"(<html><head><title>Service</title>
        <script>var ran = 'first';</script></head><body>
        <input id="Email" class="field wide" value="a&amp;b"><p class="wide">Hello &lt;you&gt;</p>
        <script type="text/javascript">ran += ' second';</SCRIPT></body></html>)");
    TestBrowser browser;
    browser.LoadURL("https://service.test/");
    EXPECT_TRUE(browser.events.empty());  // nothing happens inside LoadURL
    EXPECT_EQ(browser.Eval("typeof ran"), "undefined");

    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(browser.events, (std::vector<std::string>{"url https://service.test/", "loading", "loaded"}));
    EXPECT_EQ(browser.Eval("ran"), "first second");
    EXPECT_EQ(browser.Eval("document.title + '|' + location.href"), "Service|https://service.test/");
    EXPECT_EQ(browser.Eval("document.getElementById('Email').value"), "a&b");
    EXPECT_EQ(browser.Eval("document.getElementsByClassName('wide').length"), "2");
    EXPECT_EQ(browser.Eval("document.getElementsByClassName('wide')[1].textContent"), "Hello <you>");
    EXPECT_EQ(browser.Eval("document.getElementById('nothing')"), "null");
}

TEST_F(BrowserSubstitute, AnUnknownAddressOrAnOfflineComputerGetsTheEnginesErrorPage) {
    TVSim::Web::RegisterPage("https://service.test/", "<p>ok</p>");
    TestBrowser browser;
    browser.LoadURL("https://elsewhere.test/");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), TVSim::Web::ErrorPageUrl);

    TVSim::Web::SetOnline(false);
    browser.LoadURL("https://service.test/");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), TVSim::Web::ErrorPageUrl);

    browser.LoadHTML("<p id='x'>local</p>");  // HTML text needs no network
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), TVSim::Web::HtmlPageUrl);
    EXPECT_EQ(browser.Eval("document.getElementById('x').textContent"), "local");
    EXPECT_EQ(GetRecord(browser).shownUrls.size(), 3u);
}

TEST_F(BrowserSubstitute, ExecuteJSFailsOnASyntaxErrorOrAnUncaughtExceptionAndKeepsTheError) {
    TestBrowser browser;  // the first, empty page takes scripts too
    EXPECT_TRUE(browser.ExecuteJS("var x = 1; x + 1"));
    EXPECT_FALSE(browser.ExecuteJS("var = ;"));
    EXPECT_FALSE(browser.ExecuteJS("throw new Error('boom')"));
    EXPECT_FALSE(browser.ExecuteJS(u"f(\"a\u2028b\")"));  // a raw line separator ends a string literal
    EXPECT_TRUE(browser.ExecuteJS("window.missing && window.missing.call()"));
    const auto& errors = GetRecord(browser).executeErrors;
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_TRUE(errors[0].BeginsWith("SyntaxError")) << errors[0].ToCStr();
    EXPECT_EQ(errors[1], "Error: boom");
    EXPECT_TRUE(errors[2].BeginsWith("SyntaxError")) << errors[2].ToCStr();
    EXPECT_EQ(GetRecord(browser).executedScripts.size(), 5u);
}

TEST_F(BrowserSubstitute, APageCallReachesTheAddOnOnlyFromTheMainLoopAndItsAnswerComesBackThroughThen) {
    TestBrowser browser;
    Recorder recorder;
    recorder.answer = [](DG::JSRef) { return DG::JSRef(new DG::JSValue("answer")); };
    ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
    EXPECT_EQ(browser.Eval("var got = 'none'; addon.take('x').then(function (v) { got = v; }); got"), "none");
    EXPECT_TRUE(recorder.arguments.empty());  // not nested inside the page's script
    EXPECT_EQ(PK::MainMessageLoop::RunPending(), 1u);
    ASSERT_EQ(recorder.arguments.size(), 1u);
    EXPECT_EQ(browser.Eval("got"), "answer");
    // A then() after the answer still gets it.
    EXPECT_EQ(browser.Eval("var p = addon.take(); p"), "[object Object]");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(browser.Eval("var late; p.then(function (v) { late = v; }); late"), "answer");
}

TEST_F(BrowserSubstitute, PageArgumentsArriveAsScriptValuesOfTheirKind) {
    TestBrowser browser;
    Recorder recorder;
    ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
    browser.Eval(R"(
        addon.take();
        addon.take('text');
        addon.take(null);
        addon.take(true, -7, 3000000000, 0.5, [ , 'in'], {k: 'v'}, function named() {});
    )");
    PK::MainMessageLoop::RunPending();
    ASSERT_EQ(recorder.arguments.size(), 4u);
    EXPECT_EQ(recorder.arguments[0].As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);
    EXPECT_EQ(recorder.arguments[1].As<DG::JSValue>()->GetString(), "text");
    EXPECT_EQ(recorder.arguments[2].As<DG::JSValue>()->GetType(), DG::JSValue::DEFAULT);

    const auto& items = recorder.arguments[3].As<DG::JSArray>()->GetItemArray();
    ASSERT_EQ(items.GetSize(), 7u);
    EXPECT_TRUE(items[0].As<DG::JSValue>()->GetBool());
    EXPECT_EQ(items[1].As<DG::JSValue>()->GetInteger(), -7);
    EXPECT_EQ(items[2].As<DG::JSValue>()->GetUInteger(), 3000000000u);
    EXPECT_EQ(items[3].As<DG::JSValue>()->GetDouble(), 0.5);
    const auto& inner = items[4].As<DG::JSArray>()->GetItemArray();
    EXPECT_TRUE(inner[0] == nullptr);  // a hole is an empty reference
    EXPECT_EQ(inner[1].As<DG::JSValue>()->GetString(), "in");
    EXPECT_EQ(items[5].As<DG::JSObject>()->GetItemTable().Get("k").As<DG::JSValue>()->GetString(), "v");
    EXPECT_EQ(items[6].As<DG::JSFunction>()->GetName(), "named");
}

TEST_F(BrowserSubstitute, AnExceptionOfTheAddOnIsStoppedAtTheControlAndTheCallFailsInThePage) {
    TestBrowser browser;
    Recorder recorder;
    recorder.answer = [](DG::JSRef) -> DG::JSRef { throw std::runtime_error("add-on fault"); };
    ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
    browser.Eval("var failed; addon.take().then(null, function (why) { failed = why; });");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(browser.Eval("failed"), "the add-on failed");
    ASSERT_EQ(TVSim::Web::GetEscapedExceptions().size(), 1u);
    EXPECT_EQ(TVSim::Web::GetEscapedExceptions()[0], "browser page call: add-on fault");
    TVSim::Web::Reset();  // seen: keep the global fault check quiet
}

TEST_F(BrowserSubstitute, PageErrorsInCallbacksTimersAndEventsStayInThePage) {
    TestBrowser browser;
    Recorder recorder;
    ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
    browser.Eval(R"(addon.take().then(function () { throw new Error('in then'); });
                    setTimeout(function () { undefinedFunction(); }, 10);
                    window.addEventListener('offline', function () { throw 'in event'; });)");
    PK::MainMessageLoop::RunPending();
    TVSim::Web::AdvanceClock(10);
    TVSim::Web::SetOnline(false);
    const auto& errors = GetRecord(browser).pageErrors;
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "Error: in then");
    EXPECT_TRUE(errors[1].BeginsWith("ReferenceError")) << errors[1].ToCStr();
    EXPECT_EQ(errors[2], "in event");
}

TEST_F(BrowserSubstitute, TimersRunOnTheVirtualClockInDueOrder) {
    TestBrowser browser;
    browser.Eval(R"(var order = [];
        setTimeout(function () { order.push('b'); }, 2000);
        setTimeout(function () { order.push('a'); setTimeout(function () { order.push('c'); }, 500); }, 1000);
        var cancelled = setTimeout(function () { order.push('never'); }, 100);
        clearTimeout(cancelled);)");
    TVSim::Web::AdvanceClock(1999);
    EXPECT_EQ(browser.Eval("order.join()"), "a,c");
    TVSim::Web::AdvanceClock(1);
    EXPECT_EQ(browser.Eval("order.join()"), "a,c,b");
    EXPECT_EQ(TVSim::Web::GetClock(), 2000u);
}

TEST_F(BrowserSubstitute, TheNetworkStateIsVisibleAndItsChangesAreEvents) {
    TestBrowser browser;
    browser.Eval(R"(var seen = [];
        function note(e) { seen.push(e.type + ':' + navigator.onLine); }
        window.addEventListener('online', note); window.addEventListener('offline', note);)");
    TVSim::Web::SetOnline(false);
    TVSim::Web::SetOnline(false);  // no change, no event
    TVSim::Web::SetOnline(true);
    EXPECT_EQ(browser.Eval("seen.join()"), "offline:false,online:true");
}

TEST_F(BrowserSubstitute, LocationReplaceAlertsWarningsAndClicksBehaveAsInABrowser) {
    TVSim::Web::RegisterPage("https://next.test/", "<p>next</p>");
    TestBrowser browser;
    browser.LoadHTML(R"(<button id="go" class="submit-button">Go</button><script>
        var clicks = 0;
        document.getElementById('go').onclick = function () { clicks++; };
        alert('hello'); console.warn('careful', 2);
        </script>)");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(browser.Eval("document.getElementsByClassName('submit-button')[0].click(); clicks"), "1");
    EXPECT_EQ(GetRecord(browser).alerts, (std::vector<PK::UniString>{"hello"}));
    EXPECT_EQ(GetRecord(browser).warnings, (std::vector<PK::UniString>{"careful 2"}));

    browser.Eval("window.location.replace('https://next.test/')");
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), TVSim::Web::HtmlPageUrl);  // navigation waits for the main loop
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), "https://next.test/");
    browser.ReloadIgnoreCache();
    browser.DeleteCookies("https://next.test/", "");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(GetRecord(browser).shownUrls.back(), "https://next.test/");
    EXPECT_EQ(GetRecord(browser).shownUrls.size(), 3u);
    ASSERT_EQ(GetRecord(browser).deletedCookies.size(), 1u);
    EXPECT_EQ(GetRecord(browser).deletedCookies[0].first, "https://next.test/");
}

TEST_F(BrowserSubstitute, EachLoadStartsAFreshContextWithTheRegisteredObjects) {
    TVSim::Web::RegisterPage("https://a.test/", "<script>var leftover = 1; setTimeout(function(){ alert('old'); }, 5);</script>");
    TVSim::Web::RegisterPage("https://b.test/", "<script>var hasObject = typeof window.addon;</script>");
    TestBrowser browser;
    Recorder recorder;
    ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
    browser.LoadURL("https://a.test/");
    PK::MainMessageLoop::RunPending();
    browser.LoadURL("https://b.test/");  // queued before the call, so the call is answered after it
    browser.Eval("addon.take('from a').then(function () { alert('answered'); })");
    PK::MainMessageLoop::RunPending();
    TVSim::Web::AdvanceClock(10);
    EXPECT_EQ(browser.Eval("typeof leftover"), "undefined");
    EXPECT_EQ(browser.Eval("hasObject"), "object");
    EXPECT_EQ(recorder.arguments.size(), 1u);  // the call was made
    EXPECT_TRUE(GetRecord(browser).alerts.empty());  // but neither its answer nor the old timer reach the new page
}

TEST_F(BrowserSubstitute, ScriptObjectsAreRefusedWhenUnnamedDuplicatedOrRefusedByTheHost) {
    TestBrowser browser;
    Recorder recorder;
    EXPECT_FALSE(browser.RegisterAsynchJSObject(nullptr));
    EXPECT_FALSE(browser.RegisterAsynchJSObject(recorder.Object("")));
    EXPECT_TRUE(browser.RegisterAsynchJSObject(recorder.Object("one")));
    EXPECT_FALSE(browser.RegisterAsynchJSObject(recorder.Object("one")));
    TVSim::Web::RefuseScriptObjects(true);
    EXPECT_FALSE(browser.RegisterAsynchJSObject(recorder.Object("two")));
    EXPECT_EQ(browser.Eval("typeof one + ' ' + typeof two"), "object undefined");
    EXPECT_EQ(browser.Eval("try { one.nothing(); } catch (e) { String(e) }"),
              "TypeError: undefined not callable (property 'nothing' of [object Object])");
}

TEST_F(BrowserSubstitute, CallsOfAControlThatIsGoneAreNotDelivered) {
    Recorder recorder;
    {
        TestBrowser browser;
        ASSERT_TRUE(browser.RegisterAsynchJSObject(recorder.Object()));
        browser.Eval("addon.take()");
        browser.LoadURL("https://any.test/");
    }
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(recorder.arguments.empty());
}
