#pragma once
// A page of the web application in the add-on's browser control on the
// substitute browser, with the page's script object registered and the
// model's page callbacks replaced by a recording one. Call() runs a page
// script, delivers the calls it made and answers the log lines they wrote,
// one "<level>: <message>" each.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "DG/Panel.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "support/LogCapture.hpp"
#include "support/RecordingCallbackApi.hpp"
#include "support/TempDir.hpp"

namespace PageCallsTest {

// One call scenario of a table: a page script (run with the page's script
// object as o), the log lines it must write and the model calls it must make.
struct CallCase {
    std::string what;
    std::string script;
    std::vector<std::string> log;
    std::vector<std::string> calls;
};

inline void PrintTo(const CallCase& c, std::ostream* os) { *os << c.what; }

// Runs the case's script in a fresh page and checks its log lines and model calls.
void ExpectCase(const CallCase& c);

class PageUnderTest {
public:
    PageUnderTest();
    ~PageUnderTest();

    // The model's page callbacks; release them to stand for a model that is gone.
    std::shared_ptr<TestSupport::RecordingCallbackApi> callbacks;

    // Runs the script in the page, then the calls it made; the log lines of those calls.
    std::vector<std::string> Call(const std::string& script);
    // A script expression evaluated in the page, as text.
    std::string Eval(const std::string& script);

    TessaryConnect::Api::Tessary& Page();

private:
    TestSupport::TempDir _temp;  // the preferences the browser reads
    TestSupport::LogCapture _log;
    DG::Panel _panel;
    std::unique_ptr<TessaryConnect::Implementation::TessaryBrowser> _browser;
};

}  // namespace PageCallsTest
