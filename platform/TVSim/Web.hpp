#pragma once
// Test and demo control of the substitute browser control (DG::BrowserBase):
// the table of pages it can reach, whether the computer is online, the
// virtual clock of page timers, and what each control showed and recorded.
// Page calls to the add-on and navigations wait on the host's main loop:
// run PK::MainMessageLoop::RunPending to deliver them.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DG/BrowserBase.hpp"
#include "DG/WebWorld.hpp"
#include "PK/UniString.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Web {

using DG::Detail::ErrorPageUrl;
using DG::Detail::HtmlPageUrl;

// An address of the table loads its HTML while online; any other address,
// and every address while offline, loads the error page.
void RegisterPage(const PK::UniString& url, const PK::UniString& html);
void UnregisterPage(const PK::UniString& url);

// navigator.onLine of every page; a change fires 'online' or 'offline' in
// every page shown.
void SetOnline(bool online);
bool IsOnline();

// Moves the virtual clock on and fires, in order, the page timers due by then.
void AdvanceClock(std::uint64_t milliseconds);
std::uint64_t GetClock();

// While set, RegisterAsynchJSObject refuses every object.
void RefuseScriptObjects(bool refuse);

// Back to online, time 0, no pages, nothing refused, no escaped exceptions.
void Reset();

// Exceptions the add-on let escape from its handlers or script functions
// into the control (a real host would not survive them).
const std::vector<std::string>& GetEscapedExceptions();

using Record = DG::Detail::BrowserRecord;

struct Access {
    static const Record& GetRecord(const DG::BrowserBase& browser);
    static PK::UniString GetShownUrl(const DG::BrowserBase& browser);
    static PK::UniString GetShownHtml(const DG::BrowserBase& browser);
    // Runs a script in the shown page as a developer console would (not
    // recorded); its completion value as text, or nullopt with the error.
    static std::optional<PK::UniString> Evaluate(DG::BrowserBase& browser, const PK::UniString& script,
                                                 PK::UniString* error = nullptr);
};

inline const Record& GetRecord(const DG::BrowserBase& b) { return Access::GetRecord(b); }
inline PK::UniString GetShownUrl(const DG::BrowserBase& b) { return Access::GetShownUrl(b); }
inline PK::UniString GetShownHtml(const DG::BrowserBase& b) { return Access::GetShownHtml(b); }
inline std::optional<PK::UniString> Evaluate(DG::BrowserBase& b, const PK::UniString& script,
                                             PK::UniString* error = nullptr) {
    return Access::Evaluate(b, script, error);
}

}  // namespace TVSim::Web
