// The host loads the add-on through its entry functions and unloads it
// through FreeData, after which nothing of the add-on's may be called.
#include "TVSim/AddOnLoader.hpp"

#include <cstdio>
#include <stdexcept>

#include "TVSim/SimState.hpp"

namespace TVSim {

namespace {

using Detail::AddOnImage;
using Detail::Host;
using Detail::HostState;
using State = AddOnImage::State;

// Runs an entry function as the host would: an exception it lets escape is recorded and counts as failure.
PKErrCode Enter(const char* what, PKErrCode (*entry)()) {
    if (entry == nullptr) throw std::logic_error(std::string("TVSim: the add-on has no ") + what);
    return Detail::CallIntoAddOn(what, entry);
}

std::string Hex(PK::UInt32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// What the add-on left registered; the menus and the module-data handler
// are the host's to drop.
std::vector<std::string> LeftBehind(const Registrations& registered) {
    std::vector<std::string> left;
    if (registered.selectionHandler != nullptr) left.push_back("selection change handler");
    if (registered.projectEventHandler != nullptr)
        left.push_back("project event handler (mask " + Hex(registered.projectEventMask) + ")");
    if (registered.newElementHandler != nullptr) left.push_back("new element handler");
    if (registered.mergeHandler != nullptr) left.push_back("module data merge handler");
    for (const Registrations::Palette& palette : registered.palettes)
        left.push_back("palette " + std::to_string(palette.referenceID));
    return left;
}

PKErrCode Unload() {
    HostState& host = Host();
    const PKErrCode result = Enter("FreeData", host.addOn.entryPoints.freeData);
    host.addOn.state = State::Unloaded;
    Registrations& registered = host.registrations;
    registered.menus.clear();
    registered.modulDataHandlerRegistered = false;
    return result;
}

}  // namespace

AddOnLoading LoadAddOn(const AddOnEntryPoints& entryPoints) {
    HostState& host = Host();
    if (host.addOn.state == State::Loaded) throw std::logic_error("TVSim: the add-on is loaded already");
    if (entryPoints.checkEnvironment == nullptr)
        throw std::logic_error("TVSim: the add-on has no CheckEnvironment");
    // A new image of the add-on: what an earlier one left behind is gone with it.
    if (host.addOn.state == State::Unloaded) host.registrations = Registrations();
    host.addOn = AddOnImage{State::None, entryPoints, {}};

    AddOnLoading loading;
    API_EnvirParams envir;
    envir.serverInfo = host.application;
    // An exception escaping counts as a refusal.
    Detail::CallIntoAddOn("CheckEnvironment", [&] {
        loading.checkEnvironment = entryPoints.checkEnvironment(&envir);
        return NoError;
    });
    host.addOn.info = envir.addOnInfo;
    if (loading.checkEnvironment != APIAddon_Normal) return loading;

    const Registrations before = host.registrations;
    loading.registerInterface = Enter("RegisterInterface", entryPoints.registerInterface);
    if (*loading.registerInterface != NoError) {
        host.registrations = before;
        return loading;
    }

    host.addOn.state = State::Loaded;
    loading.initialize = Enter("Initialize", entryPoints.initialize);
    if (*loading.initialize != NoError) {
        // The host does not keep an add-on that failed to start: it unloads it.
        loading.freeData = Unload();
        for (std::string& left : LeftBehind(host.registrations))
            host.callbacksAfterFreeData.push_back("left behind: " + left);
        return loading;
    }
    loading.loaded = true;
    return loading;
}

AddOnUnloading UnloadAddOn() {
    HostState& host = Host();
    if (host.addOn.state != State::Loaded) throw std::logic_error("TVSim: the add-on is not loaded");
    AddOnUnloading unloading;
    unloading.freeData = Unload();
    unloading.leftBehind = LeftBehind(host.registrations);
    for (const std::string& left : unloading.leftBehind) host.callbacksAfterFreeData.push_back("left behind: " + left);
    return unloading;
}

bool IsAddOnLoaded() { return Host().addOn.state == State::Loaded; }

const API_AddOnInfo& GetAddOnInfo() { return Host().addOn.info; }

const std::vector<std::string>& GetCallbacksAfterFreeData() { return Host().callbacksAfterFreeData; }

}  // namespace TVSim
