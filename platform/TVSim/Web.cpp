#include "TVSim/Web.hpp"

#include <algorithm>

#include "DG/BrowserState.hpp"

namespace TVSim::Web {

using DG::Detail::World;

void RegisterPage(const PK::UniString& url, const PK::UniString& html) { World().pages.Put(url, html); }
void UnregisterPage(const PK::UniString& url) { World().pages.Delete(url); }

void SetOnline(bool online) {
    if (World().online == online) return;
    World().online = online;
    const auto browsers = World().browsers;
    for (auto* browser : browsers)
        if (std::find(World().browsers.begin(), World().browsers.end(), browser) != World().browsers.end())
            browser->SetOnline(online);
}

bool IsOnline() { return World().online; }

void AdvanceClock(std::uint64_t milliseconds) {
    World().clock += milliseconds;
    const auto browsers = World().browsers;
    for (auto* browser : browsers)
        if (std::find(World().browsers.begin(), World().browsers.end(), browser) != World().browsers.end())
            browser->AdvanceTo(World().clock);
}

std::uint64_t GetClock() { return World().clock; }

void RefuseScriptObjects(bool refuse) { World().refuseObjects = refuse; }

void Reset() {
    auto& world = World();
    world.pages.Clear();
    world.online = true;
    world.clock = 0;
    world.refuseObjects = false;
    world.escapedExceptions.clear();
}

const std::vector<std::string>& GetEscapedExceptions() { return World().escapedExceptions; }

const Record& Access::GetRecord(const DG::BrowserBase& browser) { return browser._state->GetRecord(); }
PK::UniString Access::GetShownUrl(const DG::BrowserBase& browser) { return browser._state->GetShownUrl(); }
PK::UniString Access::GetShownHtml(const DG::BrowserBase& browser) { return browser._state->GetShownHtml(); }
std::optional<PK::UniString> Access::Evaluate(DG::BrowserBase& browser, const PK::UniString& script,
                                              PK::UniString* error) {
    return browser._state->Evaluate(script, error);
}

}  // namespace TVSim::Web
