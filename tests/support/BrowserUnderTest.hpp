#pragma once
// The add-on's browser control in the substitute, over a test page standing for the web application: its page calls,
// its login form's sign-in and the answers to ask(name, ...) (a call of the add-on's script object) reach a probe the
// test reads. The model's page callbacks are a recording one.
#include <gtest/gtest.h>

#include "DG/JSArray.hpp"
#include "DG/JSValue.hpp"
#include "PK/Pref.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "support/LogCapture.hpp"
#include "support/RecordingCallbackApi.hpp"
#include "support/TempDir.hpp"

namespace TestSupport {

inline constexpr char ServiceUrl[] = "https://service.test/app";

// The test page, with extra HTML (a login button, say) before its script.
inline PK::UniString ServicePage(const std::string& extraHtml = "") {
    return PK::UniString(R"(<html><head><title>Orvo Tessary</title></head><body>
<input id="Email" value=""><input id="Password" value=""><button class="submit-button">Sign in</button>
)" + extraHtml + R"(
<script>
window.orvoTessaryState = {};
['setAppState', 'setDocumentState', 'setSelectionState', 'associateSpec', 'removeSpecAssociation', 'associate',
 'removeAssociation', 'sendAssociationFeedback', 'requestClauseData'].forEach(function (name) {
    window.orvoTessaryState[name] = function () { testProbe.report(name, Array.prototype.slice.call(arguments)); };
});
document.getElementsByClassName('submit-button')[0].onclick = function () {
    testProbe.report('signIn', [document.getElementById('Email').value, document.getElementById('Password').value]);
};
function ask(name) {
    var args = Array.prototype.slice.call(arguments, 1), integrator = window.orvoTessaryIntegrator;
    integrator[name].apply(integrator, args).then(function (answer) { testProbe.report('answer:' + name, [answer]); });
}
</script></body></html>)");
}

// What the test page handed to the probe: a name and the arguments.
struct Report {
    PK::UniString name;
    std::vector<DG::JSRef> arguments;
    // The argument as a string; "<not a string>" otherwise.
    PK::UniString Text(std::size_t index) const {
        const bool text = index < arguments.size() && arguments[index].Is<DG::JSValue>() &&
                          arguments[index].As<DG::JSValue>()->GetType() == DG::JSValue::STRING;
        return text ? arguments[index].As<DG::JSValue>()->GetString() : "<not a string>";
    }
};

class BrowserUnderTest {
public:
    // Registers the test page at the service address (unless told not to); builds nothing yet.
    explicit BrowserUnderTest(bool serviceReachable = true) {
        TVSim::Web::Reset();
        SetPreference("tessary.url", ServiceUrl);
        if (serviceReachable) TVSim::Web::RegisterPage(ServiceUrl, ServicePage());
    }
    ~BrowserUnderTest() { _browser.reset(), PK::MainMessageLoop::Clear(); }

    void SetPreference(const char* key, const PK::UniString& value) {
        PKPref::OpenRootKey(0)->SetString("OrvoTessaryConnect", key, value);
    }
    // Builds the control (with the probe registered) and runs the main loop.
    TessaryConnect::Implementation::TessaryBrowser& Open() {
        _browser = std::make_unique<TessaryConnect::Implementation::TessaryBrowser>(_panel, 1);
        _browser->SetCallbackApi(callbacks);
        auto probe = PK::NewRef<DG::JSObject>("testProbe");
        probe->AddItem(PK::NewRef<DG::JSFunction>("report", [this](DG::JSRef argument) {
            const auto& items = argument.As<DG::JSArray>()->GetItemArray();
            Report& report = reports.emplace_back(Report{items[0].As<DG::JSValue>()->GetString(), {}});
            for (const auto& item : items[1].As<DG::JSArray>()->GetItemArray()) report.arguments.push_back(item);
            return DG::JSRef(new DG::JSValue());
        }));
        _browser->RegisterAsynchJSObject(probe);
        Pump();
        return *_browser;
    }

    // Runs the main loop (queued loads, page calls); bounded, so work that keeps re-posting itself fails the test.
    void Pump() {
        PK::MainMessageLoop::RunPending(1000);
        EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u) << "the main loop does not come to rest";
    }
    // Runs a script in the shown page and then the main loop; the script's value as text.
    std::string Run(const std::string& script) {
        PK::UniString error;
        const auto value = TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error);
        Pump();
        return value ? value->ToCStr() : "error: " + error.ToCStr();
    }
    // As Run, with the page's script object as o; the lines logged meanwhile as "<level>: <message>".
    std::vector<std::string> Call(const std::string& script) {
        log.Clear();
        const std::string value = Run("var o = orvoTessaryIntegrator; " + script);
        EXPECT_EQ(value.rfind("error: ", 0), std::string::npos) << value;
        std::vector<std::string> lines;
        for (const LogRecord& record : log.Records())
            lines.push_back(fmt::format("{}: {}", spdlog::level::to_string_view(record.level), record.message));
        return lines;
    }
    PK::UniString ShownUrl() const { return TVSim::Web::GetShownUrl(*_browser); }

    LogCapture log;  // every line the add-on writes while the test runs
    std::shared_ptr<RecordingCallbackApi> callbacks = std::make_shared<RecordingCallbackApi>();
    std::vector<Report> reports;

private:
    TempDir _temp;
    DG::Panel _panel;
    std::unique_ptr<TessaryConnect::Implementation::TessaryBrowser> _browser;
};

}  // namespace TestSupport
