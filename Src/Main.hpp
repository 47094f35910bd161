#pragma once
// The add-on's face towards the host: the four entry functions the host calls
// when it loads the add-on (CheckEnvironment, RegisterInterface, Initialize)
// and when it unloads it (FreeData), the handlers they register, and the
// add-on's global objects.
//
// Between Initialize and FreeData the host calls back into the menu handler,
// the palette callback, the module-data merge handler and the notification
// entry points of Api::TorvelEventSource, nowhere else. None of these lets an
// exception out into the host: each logs it ("exception: {}" or "unknown
// exception!", error level) and gives its safe answer.
//
// A host finds the entry functions in the add-on's bundle; the simulated host
// is handed them:
//
//   TVSim::LoadAddOn({&CheckEnvironment, &RegisterInterface, &Initialize, &FreeData});
#include <iosfwd>
#include <memory>

#include "Model/AddonVersion.hpp"
#include "Settings.hpp"
#include "TVAPI/APIFunctions.hpp"
#include "Util/Formatters.hpp"

// ---- the entry functions, in the order the host calls them ----

// Names and describes the add-on and answers APIAddon_Normal when the host is
// Torvel itself, of main version 23 or later, not running in the background;
// else (or on any failure) APIAddon_DontRegister.
API_AddonType CheckEnvironment(API_EnvirParams* envirParams) noexcept;
// Registers the menu item and the module-data handler; the first refusal is
// answered (APIERR_GENERAL for an exception).
PKErrCode RegisterInterface() noexcept;
// Logging, the start-up log lines, the manager (when the start-up check
// allows it), then the menu handler, the palette and the four host
// subscriptions; the first refusal is logged at critical level and answered
// (APIERR_GENERAL for an exception).
PKErrCode Initialize() noexcept;
// Ends the four subscriptions, closes and unregisters the palette and lets go
// of the manager; every step runs whatever the others did. Always NoError.
PKErrCode FreeData() noexcept;

namespace TessaryConnect {

namespace Model {
class Manager;
}

// ---- the global objects, built in this order when the add-on is loaded ----

// 1.3.1.0.
extern const Model::AddonVersion Version;
extern Settings settings;
// Made by the start-up check (Initialize or the menu command), let go by FreeData.
extern std::shared_ptr<Model::Manager> manager;

// ---- the handlers Initialize registers ----

// Item 1 of the menu 32520 opens the palette once the start-up check allows
// it; other items are logged; other menus are ignored. Always NoError.
PKErrCode MenuCommandHandler(const API_MenuParams* menuParams) noexcept;
// Messages to the palette UI::Palette::ResId go to the palette manager; any
// other reference id, or a failure, is answered NoError.
PKErrCode PaletteControlCallBack(PK::Int32 referenceID, API_PaletteMessageID messageID, PK::Int64 param) noexcept;
// The manager merges the two versions of a module-data entry. Without a
// manager, or on a failure, APIERR_BADPARS with the destination untouched:
// the host then keeps the member's own version instead of taking the
// destination for the merge.
PKErrCode ModulData_MergeHandler(API_MDSetCmd mode, const PK::UniString& modulName, const API_ModulData* originalInfo,
                                 const API_ModulData* toMergeInfo, API_ModulData* destInfo) noexcept;

// The start-up check: the version notices of the settings (alerts posted to
// the main loop when showDialog), then the manager, made unless it exists.
// True when the add-on may go on and the manager exists. Catches everything;
// a failure to make the manager is reported in the host's report window.
bool CheckRequirementsAndInitManager(bool showDialog);

}  // namespace TessaryConnect

// {"serverApplication": 1, "mainVersion": 27, ..., "partnerID": ""}
std::ostream& operator<<(std::ostream& os, const API_ServerApplicationInfo& info);
TC_OSTREAM_FORMATTER(API_ServerApplicationInfo);
