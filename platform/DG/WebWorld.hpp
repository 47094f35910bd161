#pragma once
// What all substitute browser controls of the process share: the reachable
// pages, the network state, the virtual clock and the live controls; and what
// each control records of its pages. Internal to the substitute; tests and
// the demo control it through TVSim/Web.hpp.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"

namespace DG::Detail {

// The engine's own page for an address it cannot reach.
inline constexpr char ErrorPageUrl[] = "engine-error://errorpage/";
// The address of an HTML text shown with LoadHTML, and of the first, empty page.
inline constexpr char HtmlPageUrl[] = "about:blank";

struct BrowserRecord {
    std::vector<PK::UniString> shownUrls;        // every address a load showed, in order
    std::vector<PK::UniString> executedScripts;  // every ExecuteJS script, in order
    std::vector<PK::UniString> executeErrors;    // why an ExecuteJS script failed, in order
    std::vector<PK::UniString> pageErrors;       // errors the page's own scripts did not catch
    std::vector<PK::UniString> alerts;
    std::vector<PK::UniString> warnings;                                  // console.warn
    std::vector<std::pair<PK::UniString, PK::UniString>> deletedCookies;  // (address, name)
};

class BrowserState;

struct WebWorld {
    PK::HashTable<PK::UniString, PK::UniString> pages;
    bool online = true;
    std::uint64_t clock = 0;
    bool refuseObjects = false;
    std::vector<BrowserState*> browsers;  // live controls, oldest first
    std::vector<std::string> escapedExceptions;
};

WebWorld& World();

// Runs a handler or script function of the add-on: what it lets escape is
// recorded as a fault (a real host would not survive it); false then.
template <typename F>
bool CallIntoAddOn(const char* what, F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        World().escapedExceptions.push_back(std::string(what) + ": " + e.what());
    } catch (...) {
        World().escapedExceptions.push_back(std::string(what) + ": unknown exception");
    }
    return false;
}

}  // namespace DG::Detail
