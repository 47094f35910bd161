#pragma once
// The simulated host loads and unloads the add-on as the host does: through
// the four entry functions of its bundle and nothing else. The platform knows
// nothing of the add-on, so whoever starts it hands the entry functions over:
//
//   TVSim::LoadAddOn({&CheckEnvironment, &RegisterInterface, &Initialize, &FreeData});
//   TVSim::Events::ChooseMenuItem(32520, 1);   // the user opens the add-on's palette
//   ...
//   TVSim::UnloadAddOn();                      // the host quits or unloads it
//
// Loading calls, in this order:
// - CheckEnvironment, with the application's information filled in (what
//   TVSim::Application() holds); the name and description it writes are
//   kept (GetAddOnInfo). Any answer but APIAddon_Normal: nothing more.
// - RegisterInterface. An error: the add-on is not loaded, and what it
//   registered is forgotten.
// - Initialize. An error: the host unloads the add-on at once (FreeData,
//   as UnloadAddOn).
// Registrations go to the host's tables (TVSim::GetRegistrations()); the
// host's callbacks go only through them (TVSim::Events, the notifications
// the main loop delivers, team work's merge requests).
//
// Unloading calls FreeData. The add-on must have ended every subscription and
// handler by then (selection, project events, new elements, module-data
// merge) and unregistered its palettes; the host drops its menus itself.
// From then on no callback of any kind reaches the add-on: whatever is left
// behind is recorded as FreeData returns, stays registered, and every
// callback that would go through it is recorded instead of made
// (GetCallbacksAfterFreeData). A project-event removal without a handler ends
// the whole subscription, whatever mask it names.
//
// An entry function that lets an exception escape is recorded as any
// callback's (Events::GetEscapedExceptions) and counts as a refusal
// (APIAddon_DontRegister, APIERR_GENERAL).
//
// The add-on's state belongs to the machine: in team work each member's host
// loads its own add-on, and SwitchTo parks the loaded add-on with the
// member's registrations. Loading an add-on that is loaded, or unloading one
// that is not, throws std::logic_error. TVSim::Reset forgets the add-on
// without calling it.
#include <optional>
#include <string>
#include <vector>

#include "TVAPI/APIFunctions.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim {

struct AddOnEntryPoints {
    APICheckEnvironmentProc checkEnvironment = nullptr;
    APIRegisterInterfaceProc registerInterface = nullptr;
    APIInitializeProc initialize = nullptr;
    APIFreeDataProc freeData = nullptr;
};

// What each entry function answered; nullopt for one the host did not call.
struct AddOnLoading {
    API_AddonType checkEnvironment = APIAddon_DontRegister;
    std::optional<PKErrCode> registerInterface;
    std::optional<PKErrCode> initialize;
    std::optional<PKErrCode> freeData;  // called when Initialize failed
    bool loaded = false;
};

struct AddOnUnloading {
    PKErrCode freeData = NoError;
    // What was still registered when FreeData returned: "selection change
    // handler", "project event handler (mask 0x00010000)", "new element
    // handler", "module data merge handler", "palette 32401".
    std::vector<std::string> leftBehind;
};

AddOnLoading LoadAddOn(const AddOnEntryPoints& entryPoints);
AddOnUnloading UnloadAddOn();
bool IsAddOnLoaded();
// The name and description the add-on gave itself in CheckEnvironment.
const API_AddOnInfo& GetAddOnInfo();
// Everything the add-on left registered after its FreeData ("left behind:
// <what>") and every callback that would have reached it since ("<callback>
// after FreeData"), in order, of every machine. None was made.
const std::vector<std::string>& GetCallbacksAfterFreeData();

}  // namespace TVSim
