// The simulated host loads an add-on through its four entry functions, in the
// host's order, and unloads it through FreeData, after which nothing reaches
// the add-on: what it left registered is caught. A small stand-in add-on
// here, not the real one (tests/addon has that).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace {

using V = std::vector<std::string>;
V calls;

// How the stand-in add-on behaves in the next load.
struct Script {
    API_AddonType addOnType = APIAddon_Normal;
    PKErrCode registerInterface = NoError;
    PKErrCode initialize = NoError;
    bool throwInInitialize = false;
    bool keepProjectEvents = false;  // FreeData forgets to end the project-event subscription
} script;

constexpr PK::Int16 MenuId = 100;
constexpr PK::Int32 PaletteId = 7;

PKErrCode OnMenu(const API_MenuParams* params) {
    calls.push_back("menu " + std::to_string(params->menuItemRef.itemIndex));
    return NoError;
}
PKErrCode OnPalette(PK::Int32, API_PaletteMessageID message, PK::Int64) {
    calls.push_back("palette " + std::to_string(message));
    return NoError;
}
PKErrCode OnSelection(const API_Neig*) {
    calls.push_back("selection");
    return NoError;
}
PKErrCode OnProjectEvent(API_NotifyEventID id, PK::Int32) {
    calls.push_back("project event " + std::to_string(id));
    return NoError;
}

API_AddonType CheckEnvironment(API_EnvirParams* envir) {
    calls.push_back("CheckEnvironment of a host " + std::to_string(envir->serverInfo.mainVersion));
    envir->addOnInfo.name = "Stand-in";
    envir->addOnInfo.description = "An add-on for the host's sake";
    return script.addOnType;
}
PKErrCode RegisterInterface() {
    calls.push_back("RegisterInterface");
    TVAPI_Register_Menu(MenuId, MenuId + 1, MenuCode_Palettes, MenuFlag_Default);
    return script.registerInterface;
}
PKErrCode Initialize() {
    calls.push_back("Initialize");
    TVAPI_Install_MenuHandler(MenuId, OnMenu);
    TVAPI_RegisterModelessWindow(PaletteId, OnPalette, API_PalEnabled_FloorPlan, APINULLGuid);
    TVAPI_Notify_CatchSelectionChange(OnSelection);
    TVAPI_Notify_CatchProjectEvent(API_AllNotificationMask, OnProjectEvent);
    if (script.throwInInitialize) throw std::runtime_error("no memory left");
    return script.initialize;
}
PKErrCode FreeData() {
    calls.push_back("FreeData");
    TVAPI_Notify_CatchSelectionChange(nullptr);
    // The mask names only the document events: the host ends the whole subscription all the same.
    if (!script.keepProjectEvents) TVAPI_Notify_CatchProjectEvent(0x00000FFF, nullptr);
    TVAPI_UnregisterModelessWindow(PaletteId);
    return NoError;
}

const TVSim::AddOnEntryPoints standIn{CheckEnvironment, RegisterInterface, Initialize, FreeData};

V Calls() { return std::exchange(calls, {}); }

}  // namespace

TEST(AddOnLoader, LoadsThroughTheEntryFunctionsInTheHostsOrderAndUnloadsThroughFreeData) {
    TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    const TVSim::AddOnLoading loading = TVSim::LoadAddOn(standIn);
    EXPECT_TRUE(loading.loaded && TVSim::IsAddOnLoaded());
    EXPECT_EQ(loading.checkEnvironment, APIAddon_Normal);
    EXPECT_EQ(loading.registerInterface, NoError);
    EXPECT_EQ(loading.initialize, NoError);
    EXPECT_EQ(loading.freeData, std::nullopt);
    EXPECT_EQ(Calls(), (V{"CheckEnvironment of a host 27", "RegisterInterface", "Initialize"}));
    EXPECT_EQ(TVSim::GetAddOnInfo().name, "Stand-in");
    EXPECT_EQ(TVSim::GetAddOnInfo().description, "An add-on for the host's sake");

    // The host calls back only through what the add-on registered.
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(MenuId, 2), NoError);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(MenuId + 1, 1), std::nullopt);
    EXPECT_EQ(TVSim::Events::PaletteMessage(PaletteId, APIPalMsg_OpenPalette), NoError);
    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_ReceiveChanges), NoError);
    EXPECT_EQ(Calls(), (V{"menu 2", "palette 6", "project event 65536"}));

    const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
    EXPECT_EQ(unloading.freeData, NoError);
    EXPECT_TRUE(unloading.leftBehind.empty());
    EXPECT_FALSE(TVSim::IsAddOnLoaded());
    EXPECT_EQ(Calls(), V{"FreeData"});
    const TVSim::Registrations& registered = TVSim::GetRegistrations();
    EXPECT_TRUE(registered.menus.empty()) << "the host drops the menus with the add-on";
    EXPECT_TRUE(registered.palettes.empty());
    EXPECT_EQ(registered.projectEventHandler, nullptr);
    EXPECT_EQ(registered.projectEventMask, 0u);
    for (PK::UInt32 event : {APINotify_New, APINotify_SendChanges, APINotify_ReceiveChanges, APINotify_ChangeWindow})
        EXPECT_EQ(TVSim::Events::ProjectEvent(event), std::nullopt) << event;
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(MenuId, 1), std::nullopt);
    TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(TVSim::GetCallbacksAfterFreeData().empty());

    // Loaded again, it is a new image of the add-on that registers afresh.
    EXPECT_TRUE(TVSim::LoadAddOn(standIn).loaded);
    EXPECT_EQ(Calls(), (V{"CheckEnvironment of a host 27", "RegisterInterface", "Initialize"}));
    TVSim::UnloadAddOn();
}

TEST(AddOnLoader, ARefusalOrAnEscapingExceptionStopsTheLoadingAndAFailedStartIsUnloadedAtOnce) {
    calls.clear();
    script.addOnType = APIAddon_DontRegister;
    TVSim::AddOnLoading loading = TVSim::LoadAddOn(standIn);
    EXPECT_FALSE(loading.loaded || TVSim::IsAddOnLoaded());
    EXPECT_EQ(loading.registerInterface, std::nullopt);
    EXPECT_EQ(Calls(), V{"CheckEnvironment of a host 27"});

    script = {.registerInterface = APIERR_GENERAL};
    loading = TVSim::LoadAddOn(standIn);
    EXPECT_FALSE(loading.loaded);
    EXPECT_EQ(loading.registerInterface, APIERR_GENERAL);
    EXPECT_EQ(loading.initialize, std::nullopt);
    EXPECT_EQ(Calls(), (V{"CheckEnvironment of a host 27", "RegisterInterface"}));
    EXPECT_TRUE(TVSim::GetRegistrations().menus.empty()) << "what it registered is forgotten";

    script = {.initialize = APIERR_MEMFULL};
    loading = TVSim::LoadAddOn(standIn);
    EXPECT_FALSE(loading.loaded);
    EXPECT_EQ(loading.initialize, APIERR_MEMFULL);
    EXPECT_EQ(loading.freeData, NoError);
    EXPECT_EQ(Calls(), (V{"CheckEnvironment of a host 27", "RegisterInterface", "Initialize", "FreeData"}));
    EXPECT_EQ(TVSim::GetRegistrations().selectionHandler, nullptr);

    script = {.throwInInitialize = true};
    loading = TVSim::LoadAddOn(standIn);
    EXPECT_FALSE(loading.loaded);
    EXPECT_EQ(loading.initialize, APIERR_GENERAL);
    EXPECT_EQ(loading.freeData, NoError);
    EXPECT_EQ(TVSim::Events::GetEscapedExceptions(), V{"Initialize: no memory left"});
    script = {};
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}

TEST(AddOnLoader, ASubscriptionThatFreeDataLeavesBehindIsCaughtAndNothingReachesTheAddOnThroughIt) {
    TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    TVSim::LoadAddOn(standIn);
    Calls();
    script.keepProjectEvents = true;
    const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
    EXPECT_EQ(unloading.leftBehind, V{"project event handler (mask 0xFFFFFFFF)"});

    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_ReceiveChanges), std::nullopt);
    TVSim::OpenProject();  // queues the close and the new project's event for the subscription left behind
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(Calls(), V{"FreeData"}) << "nothing after FreeData";
    EXPECT_EQ(TVSim::GetCallbacksAfterFreeData(),
              (V{"left behind: project event handler (mask 0xFFFFFFFF)", "project event after FreeData",
                 "project event after FreeData", "project event after FreeData"}));

    // A new image of the add-on does not inherit what the old one left.
    script = {};
    EXPECT_TRUE(TVSim::LoadAddOn(standIn).loaded);
    EXPECT_TRUE(TVSim::UnloadAddOn().leftBehind.empty());
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
    EXPECT_TRUE(TVSim::GetCallbacksAfterFreeData().empty());
}

TEST(AddOnLoader, LoadingALoadedAddOnOrUnloadingOneThatIsNotLoadedIsATestsMistake) {
    EXPECT_THROW(TVSim::UnloadAddOn(), std::logic_error);
    TVSim::LoadAddOn(standIn);
    EXPECT_THROW(TVSim::LoadAddOn(standIn), std::logic_error);
    TVSim::UnloadAddOn();
    EXPECT_THROW(TVSim::UnloadAddOn(), std::logic_error);
}

TEST(AddOnLoader, EachTeamMembersHostLoadsItsOwnAddOnAndKeepsItWhileAnotherMemberIsCurrent) {
    TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    TVSim::Teamwork::Share("Member A");
    const TVSim::Teamwork::Member b = TVSim::Teamwork::Join("Member B");
    EXPECT_TRUE(TVSim::LoadAddOn(standIn).loaded);
    TVSim::Teamwork::SwitchTo(b);
    EXPECT_FALSE(TVSim::IsAddOnLoaded());
    EXPECT_TRUE(TVSim::GetRegistrations().menus.empty());
    EXPECT_TRUE(TVSim::LoadAddOn(standIn).loaded) << "B's host registers B's menu";
    TVSim::Teamwork::SwitchTo(0);
    EXPECT_TRUE(TVSim::IsAddOnLoaded());
    TVSim::UnloadAddOn();
    TVSim::Teamwork::SwitchTo(b);
    EXPECT_TRUE(TVSim::IsAddOnLoaded());
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(MenuId, 1), NoError);
    TVSim::UnloadAddOn();
}
