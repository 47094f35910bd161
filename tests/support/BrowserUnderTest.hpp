#pragma once
// The add-on's browser control in the substitute, over a test page that
// stands for the web application: its window.orvoTessaryState hands every
// page call it receives to a probe object, which the test reads as script
// values; its login form hands what was filled in to the probe when its
// button is clicked; ask(name, ...) calls the add-on's script object and
// hands the answer to the probe. The model's page callbacks are a recording
// one.

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
PK::UniString ServicePage(const std::string& extraHtml = "");

// What the test page handed to the probe: a name and the arguments.
struct Report {
    PK::UniString name;
    std::vector<DG::JSRef> arguments;
    // The argument as a string; "<not a string>" otherwise.
    PK::UniString Text(std::size_t index) const;
};

class BrowserUnderTest {
public:
    // Sets the preferences, registers the test page at the service address
    // (unless told not to) and builds nothing yet.
    explicit BrowserUnderTest(bool serviceReachable = true);
    ~BrowserUnderTest() { _browser.reset(), PK::MainMessageLoop::Clear(); }

    void SetPreference(const char* key, const PK::UniString& value) {
        PKPref::OpenRootKey(0)->SetString("OrvoTessaryConnect", key, value);
    }
    // Builds the control (with the probe registered) and runs the main loop.
    TessaryConnect::Implementation::TessaryBrowser& Open();

    // Runs the main loop: queued loads and page calls.
    void Pump();
    // Runs a script in the shown page and then the main loop; the script's value as text.
    std::string Run(const std::string& script);
    // As Run, with the page's script object as o; the lines logged meanwhile,
    // one "<level>: <message>" each.
    std::vector<std::string> Call(const std::string& script);
    PK::UniString ShownUrl() const { return TVSim::Web::GetShownUrl(*_browser); }

    LogCapture log;  // every line the add-on writes while the test runs
    std::shared_ptr<RecordingCallbackApi> callbacks;
    std::vector<Report> reports;

private:
    TempDir _temp;
    DG::Panel _panel;
    std::unique_ptr<TessaryConnect::Implementation::TessaryBrowser> _browser;
};

}  // namespace TestSupport
