// The substitute browser control: an exception of the add-on stops at the
// control, and the page sees the call fail.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DG/Browser.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "DG/JSValue.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Web.hpp"

namespace {

PK::Ref<DG::JSObject> Throwing(const char* name) {
    auto object = PK::NewRef<DG::JSObject>(name);
    object->AddItem(
        PK::NewRef<DG::JSFunction>("take", [](DG::JSRef) -> DG::JSRef { throw std::runtime_error("add-on fault"); }));
    return object;
}

}  // namespace

TEST(BrowserSubstitute, AnExceptionOfTheAddOnIsStoppedAtTheControlAndTheCallFailsInThePage) {
    TVSim::Web::Reset();
    DG::Panel panel;
    DG::Browser browser(panel, 1);
    ASSERT_TRUE(browser.RegisterAsynchJSObject(Throwing("addon")));
    EXPECT_FALSE(browser.RegisterAsynchJSObject(Throwing("addon"))) << "one object per name";
    TVSim::Web::Evaluate(browser, "var failed; addon.take().then(null, function (why) { failed = why; });");
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(TVSim::Web::Evaluate(browser, "failed")->ToCStr(), "the add-on failed");
    EXPECT_EQ(TVSim::Web::GetEscapedExceptions(), std::vector<std::string>{"browser page call: add-on fault"});
    TVSim::Web::Reset();  // seen: keep the global fault check quiet
    PK::MainMessageLoop::Clear();
}
