#pragma once
// What all substitute browser controls of the process share: the reachable
// pages, the network state, the virtual clock and the live controls.
// Internal to the substitute; tests use BrowserSim.hpp.
#include <cstdint>
#include <string>
#include <vector>

#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"

namespace DG::Detail {

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
