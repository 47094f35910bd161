// The substitute browser control: an exception of the add-on stops at the
// control, and what a page does that the add-on's pages never show.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DG/Browser.hpp"
#include "TVSim/Web.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "PK/Runnable.hpp"

namespace {

using TVSim::Web::GetRecord;

struct FreshWeb {
    FreshWeb() { TVSim::Web::Reset(); }
};

struct TestBrowser : FreshWeb, DG::Browser {
    DG::Panel panel;
    TestBrowser() : DG::Browser(panel, 1) {}
    ~TestBrowser() { PK::MainMessageLoop::Clear(); }
    std::string Eval(const char* script) {
        PK::UniString error;
        auto result = TVSim::Web::Evaluate(*this, script, &error);
        return result ? result->ToCStr() : "error: " + error.ToCStr();
    }
};

PK::Ref<DG::JSObject> Throwing(const char* name) {
    auto object = PK::NewRef<DG::JSObject>(name);
    object->AddItem(
        PK::NewRef<DG::JSFunction>("take", [](DG::JSRef) -> DG::JSRef { throw std::runtime_error("add-on fault"); }));
    return object;
}

}  // namespace

TEST(BrowserSubstitute, AnExceptionOfTheAddOnIsStoppedAtTheControlAndTheCallFailsInThePage) {
    TestBrowser browser;
    ASSERT_TRUE(browser.RegisterAsynchJSObject(Throwing("addon")));
    EXPECT_FALSE(browser.RegisterAsynchJSObject(Throwing("addon"))) << "one object per name";
    browser.Eval("var failed; addon.take().then(null, function (why) { failed = why; });");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(browser.Eval("failed"), "the add-on failed");
    ASSERT_EQ(TVSim::Web::GetEscapedExceptions().size(), 1u);
    EXPECT_EQ(TVSim::Web::GetEscapedExceptions()[0], "browser page call: add-on fault");
    TVSim::Web::Reset();  // seen: keep the global fault check quiet
}

TEST(BrowserSubstitute, OfflineEveryAddressGetsTheErrorPageAndPageErrorsAndWarningsAreKept) {
    TestBrowser browser;
    TVSim::Web::RegisterPage("https://service.test/", "<script>console.warn('careful', 2); missing();</script>");
    browser.LoadURL("https://service.test/");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(GetRecord(browser).warnings, (std::vector<PK::UniString>{"careful 2"}));
    ASSERT_EQ(GetRecord(browser).pageErrors.size(), 1u);
    EXPECT_TRUE(GetRecord(browser).pageErrors[0].BeginsWith("ReferenceError"));

    TVSim::Web::SetOnline(false);
    browser.LoadURL("https://service.test/");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::GetShownUrl(browser), TVSim::Web::ErrorPageUrl);
}
