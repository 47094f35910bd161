#include "Main.hpp"

#include <ostream>

#include "DG/Alerts.hpp"
#include "IO/Location.hpp"
#include "Model/Manager.hpp"
#include "PK/DebugOutput.hpp"
#include "RS/Resources.hpp"
#include "TVAPI/Report.hpp"
#include "TVAPI/Resources.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "UI/MainMessageLoop.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

// Fixed when the add-on is built (Src/CMakeLists.txt).
#ifndef TC_GIT_COMMIT_HASH
#define TC_GIT_COMMIT_HASH "0000000000000000000000000000000000000000"
#endif

namespace TessaryConnect {

const Model::AddonVersion Version(1, 3, 1, 0);
Settings settings(Version);
std::shared_ptr<Model::Manager> manager;

}  // namespace TessaryConnect

namespace {

using namespace TessaryConnect;

constexpr short TVT_RESID_MENU_STRING = 32520;
constexpr short TVT_RESID_MENU_PROMPT = 32521;
constexpr int AddOnInfoStrings = 32000;  // 1: name, 2: description
constexpr short TooOldAlert = 32567;
constexpr short NewVersionAlert = 32568;
constexpr PK::UInt32 PaletteEnabledIn = API_PalEnabled_FloorPlan | API_PalEnabled_Section | API_PalEnabled_Elevation |
                                        API_PalEnabled_InteriorElevation | API_PalEnabled_3D |
                                        API_PalEnabled_DocumentFrom3D;
// What FreeData passes when it ends the project-event subscription: not the
// mask it subscribed with. The host reads a removal without a handler as the
// end of the whole subscription.
constexpr PK::UInt32 ProjectEventRemovalMask = 0x00000FFF;

void ReportLine(const char* text, bool withDialog = false) { TVAPI_WriteReport(text, withDialog); }

// The registrations of Initialize, in order, each with the text its refusal is logged with.
struct Registration {
    PKErrCode (*call)();
    const char* text;
};
constexpr Registration Registrations[] = {
    {[] { return TVAPI_Install_MenuHandler(TVT_RESID_MENU_STRING, TessaryConnect::MenuCommandHandler); },
     "TVAPI_Install_MenuHandler( TVT_RESID_MENU_STRING, TessaryConnect::MenuCommandHandler)"},
    {[] {
         return TVAPI_RegisterModelessWindow(UI::Palette::ResId, TessaryConnect::PaletteControlCallBack,
                                             PaletteEnabledIn, PKGuid2APIGuid(UI::Palette::Guid));
     },
     "TVAPI_RegisterModelessWindow( TessaryConnect::UI::Palette::ResId, TessaryConnect::PaletteControlCallBack, "
     "API_PalEnabled_FloorPlan | API_PalEnabled_Section | API_PalEnabled_Elevation | "
     "API_PalEnabled_InteriorElevation | API_PalEnabled_3D | API_PalEnabled_DocumentFrom3D, "
     "PKGuid2APIGuid(TessaryConnect::UI::Palette::Guid))"},
    {[] { return TVAPI_Notify_CatchSelectionChange(Api::TorvelEventSource::Send_SelectionChanged); },
     "TVAPI_Notify_CatchSelectionChange( TessaryConnect::Api::TorvelEventSource:: Send_SelectionChanged)"},
    {[] { return TVAPI_Notify_CatchProjectEvent(API_AllNotificationMask, Api::TorvelEventSource::Send_ProjectEvent); },
     "TVAPI_Notify_CatchProjectEvent( API_AllNotificationMask, TessaryConnect::Api::TorvelEventSource:: "
     "Send_ProjectEvent)"},
    {[] { return TVAPI_Install_ModulDataMergeHandler(TessaryConnect::ModulData_MergeHandler); },
     "TVAPI_Install_ModulDataMergeHandler( TessaryConnect::ModulData_MergeHandler)"},
    {[] { return TVAPI_Notify_CatchNewElement(nullptr, Api::TorvelEventSource::Element_NewElementEvent); },
     "TVAPI_Notify_CatchNewElement( nullptr, TessaryConnect::Api::TorvelEventSource:: Element_NewElementEvent)"},
};

}  // namespace

// ---- entry functions ----

API_AddonType CheckEnvironment(API_EnvirParams* envirParams) noexcept {
    try {
        ReportLine("OrvoTessaryConnect: CheckEnvironment");
        if (envirParams != nullptr) {
            // The fallbacks stay where the resources lack an item.
            API_AddOnInfo& info = envirParams->addOnInfo;
            info.name = "OrvoTessaryConnect";
            info.description = PK::UniString("!! Critical Error !!\n\nVersion: ") + Version.FullStr();
            RSGetIndString(&info.name, AddOnInfoStrings, 1, TVAPI_GetOwnResModule());
            RSGetIndString(&info.description, AddOnInfoStrings, 2, TVAPI_GetOwnResModule());
        }
        API_ServerApplicationInfo application;
        if (TVAPI_Environment(APIEnv_ApplicationID, &application) != NoError) {
            ReportLine("OrvoTessaryConnect: TVAPI_Environment error");
            return APIAddon_DontRegister;
        }
        if (application.serverApplication != 1 || application.mainVersion < 23 || application.runningInBackground)
            return APIAddon_DontRegister;
        ReportLine("OrvoTessaryConnect: APIAddon_Normal");
        return APIAddon_Normal;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return APIAddon_DontRegister;
}

PKErrCode RegisterInterface() noexcept {
    try {
        if (const PKErrCode err = TVAPI_Register_Menu(TVT_RESID_MENU_STRING, TVT_RESID_MENU_PROMPT, MenuCode_Palettes,
                                                      MenuFlag_Default);
            err != NoError) {
            LOG_CRITICAL("TVAPI_Register_Menu(TVT_RESID_MENU_STRING, TVT_RESID_MENU_PROMPT, MenuCode_Palettes, "
                         "MenuFlag_Default)");
            return err;
        }
        if (const PKErrCode err = TVAPI_Register_ModulDataHandler(); err != NoError) {
            LOG_CRITICAL("TVAPI_Register_ModulDataHandler()");
            return err;
        }
        return NoError;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return APIERR_GENERAL;
}

PKErrCode Initialize() noexcept {
    try {
        DBPrint("OrvoTessaryConnect: Initialize");
        InitLogger();
        LOG_INFO(
            "Addon: OrvoTessaryConnect: version: {}, git-commit-hash: \"{}\", devkit version: {}, build time: {} - {}, ",
            Version.FullStr(), TC_GIT_COMMIT_HASH, TVAPI_DEVKIT_VERSION, __DATE__, __TIME__);
        LOG_INFO("trackingUserId: {}", settings.GetTrackingUserId());
        API_ServerApplicationInfo application;
        TVAPI_Environment(APIEnv_ApplicationID, &application);  // logged as it comes, whatever the answer
        LOG_INFO("APIEnv_ApplicationID: {}", application);
        if (IO::Location location; TVAPI_GetOwnLocation(&location) == NoError) {
            PK::UniString path;
            location.ToPath(&path);
            LOG_INFO("Location: {}", path);
        }
        // Whatever the check says, the handlers are registered: the menu
        // command repeats the check, with its alerts, before it opens the palette.
        CheckRequirementsAndInitManager(false);
        for (const Registration& registration : Registrations) {
            if (const PKErrCode err = registration.call(); err != NoError) {
                LOG_CRITICAL("{}", registration.text);
                return err;
            }
        }
        return NoError;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return APIERR_GENERAL;
}

// Every step runs, whatever the one before it did or threw.
PKErrCode FreeData() noexcept {
    try {
        LOG_DEBUG("FreeData");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        if (NoError != TVAPI_Notify_CatchSelectionChange(nullptr))
            TC_ASSERT_FAILED(err, "NoError == TVAPI_Notify_CatchSelectionChange(nullptr)");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        if (NoError != TVAPI_Notify_CatchProjectEvent(ProjectEventRemovalMask, nullptr))
            TC_ASSERT_FAILED(err, "NoError == TVAPI_Notify_CatchProjectEvent( 0x00000FFF, nullptr)");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        if (NoError != TVAPI_Notify_CatchNewElement(nullptr, nullptr))
            TC_ASSERT_FAILED(err, "NoError == TVAPI_Notify_CatchNewElement(nullptr, nullptr)");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        if (NoError != TVAPI_Install_ModulDataMergeHandler(nullptr))
            TC_ASSERT_FAILED(err, "NoError == TVAPI_Install_ModulDataMergeHandler(nullptr)");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        UI::PaletteManager::GetInstance().Close();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        if (NoError != TVAPI_UnregisterModelessWindow(UI::Palette::ResId))
            TC_ASSERT_FAILED(err, "NoError == TVAPI_UnregisterModelessWindow( TessaryConnect::UI::Palette::ResId)");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        LOG_TRACE("free manager");
        manager.reset();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    try {
        LOG_INFO("FreeData finished");
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

namespace TessaryConnect {

// ---- handlers ----

PKErrCode MenuCommandHandler(const API_MenuParams* menuParams) noexcept {
    try {
        if (menuParams == nullptr || menuParams->menuItemRef.menuResID != TVT_RESID_MENU_STRING) return NoError;
        switch (menuParams->menuItemRef.itemIndex) {
            case 1:
                if (CheckRequirementsAndInitManager(true)) UI::PaletteManager::GetInstance().Open(manager);
                break;
            default:
                LOG_ERROR("Unknown itemIndex({})", menuParams->menuItemRef.itemIndex);
                break;
        }
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

PKErrCode PaletteControlCallBack(PK::Int32 referenceID, API_PaletteMessageID messageID, PK::Int64 param) noexcept {
    try {
        if (referenceID != UI::Palette::ResId) return NoError;
        return UI::PaletteManager::GetInstance().HandleControlCallBack(messageID, param);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return NoError;
}

PKErrCode ModulData_MergeHandler(API_MDSetCmd mode, const PK::UniString& modulName, const API_ModulData* originalInfo,
                                 const API_ModulData* toMergeInfo, API_ModulData* destInfo) noexcept {
    try {
        LOG_TRACE("Main::ModulData_MergeHandler: {}, {}", modulName, static_cast<PK::Int32>(mode));
        // Without a manager nothing is merged: the host must keep its own version, not the untouched destination.
        if (!TC_ASSERT(warn, manager != nullptr)) return APIERR_BADPARS;
        return manager->HandleModulDataMergeRequest(mode, modulName, originalInfo, toMergeInfo, destInfo);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return APIERR_BADPARS;
}

bool CheckRequirementsAndInitManager(bool showDialog) {
    try {
        LOG_TRACE("CheckRequirementsAndInitManager: showDialog({})", showDialog);
        settings.UpdateIfNeeded();
        if (settings.HasNewVersion()) {
            LOG_INFO("HasNewVersion true");
            if (showDialog) UI::MainMessageLoop::Execute([] { DGResAlert(TVAPI_GetOwnResModule(), NewVersionAlert); });
        }
        if (settings.IsTooOldToRun()) {
            LOG_WARN("IsTooOldToRun true");
            if (showDialog) UI::MainMessageLoop::Execute([] { DGResAlert(TVAPI_GetOwnResModule(), TooOldAlert); });
            return false;
        }
        if (manager != nullptr) return true;
        LOG_DEBUG("new Model::Manager");
        const std::shared_ptr<Api::Torvel> tvApi = std::make_shared<Implementation::Torvel>();
        manager = std::make_shared<Model::Manager>(Version, tvApi, std::shared_ptr<Api::Tessary>());
        return true;
    } catch (...) {
        TC_LOG_CAUGHT(critical);
    }
    ReportLine("OrvoTessary Connect: Unexpected critical error. Please contact the support.", true);
    return false;
}

}  // namespace TessaryConnect

std::ostream& operator<<(std::ostream& os, const API_ServerApplicationInfo& info) {
    return os << "{\"serverApplication\": " << info.serverApplication << ", \"mainVersion\": " << info.mainVersion
              << ", \"releaseVersion\": " << info.releaseVersion
              << ", \"runningInBackground\": " << (info.runningInBackground ? 1 : 0)
              << ", \"buildNum\": " << info.buildNum << ", \"language\": " << info.language
              << ", \"ssaEnabled\": " << (info.ssaEnabled ? 1 : 0) << ", \"partnerID\": " << info.partnerID << "}";
}
