#include "PageUnderTest.hpp"

#include <gtest/gtest.h>

#include "DG/BrowserSim.hpp"
#include "PK/Pref.hpp"
#include "PK/Runnable.hpp"

namespace PageCallsTest {

namespace Api = TessaryConnect::Api;

namespace {
constexpr char ServiceUrl[] = "https://service.test/app";
}

PageUnderTest::PageUnderTest() : callbacks(std::make_shared<TestSupport::RecordingCallbackApi>()) {
    TVSim::Web::Reset();
    PKPref::OpenRootKey(0)->SetString("OrvoTessaryConnect", "tessary.url", ServiceUrl);
    TVSim::Web::RegisterPage(ServiceUrl, "<html><body><p>Orvo Tessary</p></body></html>");
    _browser = std::make_unique<TessaryConnect::Implementation::TessaryBrowser>(_panel, 1);
    _browser->Init();
    _browser->SetCallbackApi(callbacks);
    PK::MainMessageLoop::RunPending(1000);
    EXPECT_EQ(TVSim::Web::GetShownUrl(*_browser), ServiceUrl);
}

PageUnderTest::~PageUnderTest() {
    _browser.reset();
    PK::MainMessageLoop::Clear();
}

Api::Tessary& PageUnderTest::Page() { return *_browser; }

std::vector<std::string> PageUnderTest::Call(const std::string& script) {
    _log.Clear();
    PK::UniString error;
    if (!TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error))
        ADD_FAILURE() << "the page script failed: " << error.ToCStr();
    PK::MainMessageLoop::RunPending(1000);
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u) << "the main loop does not come to rest";
    std::vector<std::string> lines;
    for (const TestSupport::LogRecord& record : _log.Records())
        lines.push_back(std::string(spdlog::level::to_string_view(record.level).data(),
                                    spdlog::level::to_string_view(record.level).size()) +
                        ": " + record.message);
    return lines;
}

std::string PageUnderTest::Eval(const std::string& script) {
    PK::UniString error;
    const auto result = TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error);
    return result ? result->ToCStr() : "error: " + error.ToCStr();
}

void ExpectCase(const CallCase& c) {
    PageUnderTest page;
    EXPECT_EQ(page.Call("var o = orvoTessaryIntegrator; " + c.script), c.log);
    EXPECT_EQ(page.callbacks->calls, c.calls);
}

}  // namespace PageCallsTest
