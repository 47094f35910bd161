#include "support/BrowserUnderTest.hpp"

#include <gtest/gtest.h>

#include "DG/JSArray.hpp"
#include "DG/JSValue.hpp"

namespace TestSupport {

PK::UniString ServicePage(const std::string& extraHtml) {
    return PK::UniString(R"(<html><head><title>Orvo Tessary</title></head><body>
<input id="Email" value=""><input id="Password" value=""><button class="submit-button">Sign in</button>
)" + extraHtml + R"(
<script>
var pageFunctions = ['setAppState', 'setDocumentState', 'setSelectionState', 'associateSpec',
                     'removeSpecAssociation', 'associate', 'removeAssociation', 'sendAssociationFeedback',
                     'requestClauseData'];
window.orvoTessaryState = {};
for (var i = 0; i < pageFunctions.length; i++) (function (name) {
    window.orvoTessaryState[name] = function () { testProbe.report(name, Array.prototype.slice.call(arguments)); };
})(pageFunctions[i]);
document.getElementsByClassName('submit-button')[0].onclick = function () {
    testProbe.report('signIn', [document.getElementById('Email').value, document.getElementById('Password').value]);
};
function ask(name) {
    var args = Array.prototype.slice.call(arguments, 1);
    var integrator = window.orvoTessaryIntegrator;
    integrator[name].apply(integrator, args).then(function (answer) { testProbe.report('answer:' + name, [answer]); });
}
</script></body></html>)");
}

PK::UniString Report::Text(std::size_t index) const {
    const bool text = index < arguments.size() && arguments[index].Is<DG::JSValue>() &&
                      arguments[index].As<DG::JSValue>()->GetType() == DG::JSValue::STRING;
    return text ? arguments[index].As<DG::JSValue>()->GetString() : "<not a string>";
}

BrowserUnderTest::BrowserUnderTest(bool serviceReachable) : callbacks(std::make_shared<RecordingCallbackApi>()) {
    TVSim::Web::Reset();
    SetPreference("tessary.url", ServiceUrl);
    if (serviceReachable) TVSim::Web::RegisterPage(ServiceUrl, ServicePage());
}

TessaryConnect::Implementation::TessaryBrowser& BrowserUnderTest::Open() {
    _browser = std::make_unique<TessaryConnect::Implementation::TessaryBrowser>(_panel, 1);
    _browser->SetCallbackApi(callbacks);
    auto probe = PK::NewRef<DG::JSObject>("testProbe");
    probe->AddItem(PK::NewRef<DG::JSFunction>("report", [this](DG::JSRef argument) {
        const auto& items = argument.As<DG::JSArray>()->GetItemArray();
        Report report{items[0].As<DG::JSValue>()->GetString(), {}};
        for (const auto& item : items[1].As<DG::JSArray>()->GetItemArray()) report.arguments.push_back(item);
        reports.push_back(std::move(report));
        return DG::JSRef(new DG::JSValue());
    }));
    _browser->RegisterAsynchJSObject(probe);
    Pump();
    return *_browser;
}

void BrowserUnderTest::Pump() {
    // Bounded, so that work which keeps re-posting itself fails the test instead of hanging it.
    PK::MainMessageLoop::RunPending(1000);
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u) << "the main loop does not come to rest";
}

std::string BrowserUnderTest::Run(const std::string& script) {
    PK::UniString error;
    const auto value = TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error);
    Pump();
    return value ? value->ToCStr() : "error: " + error.ToCStr();
}

std::vector<std::string> BrowserUnderTest::Call(const std::string& script) {
    log.Clear();
    const std::string value = Run("var o = orvoTessaryIntegrator; " + script);
    EXPECT_EQ(value.rfind("error: ", 0), std::string::npos) << value;
    std::vector<std::string> lines;
    for (const LogRecord& record : log.Records())
        lines.push_back(fmt::format("{}: {}", spdlog::level::to_string_view(record.level), record.message));
    return lines;
}

}  // namespace TestSupport
