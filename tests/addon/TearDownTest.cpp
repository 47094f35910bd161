// The host unloads the add-on: FreeData ends the four subscriptions in their
// order, closes and unregisters the palette and lets go of the manager, runs
// every step whatever the others do, and leaves nothing through which the
// host could still call the add-on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "Main.hpp"
#include "UI/PaletteManager.hpp"
#include "addon/EntrySupport.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;
using V = std::vector<std::string>;

TEST(TearDown, FreeDataEndsTheSubscriptionsInOrderClosesThePaletteLetsGoOfTheManagerAndNothingReachesTheAddOnAfter) {
    TVSim::Project& project = FreshHost();
    ASSERT_TRUE(TVSim::LoadAddOn(EntryPoints()).loaded);
    ASSERT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), NoError);
    ASSERT_NE(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    const std::weak_ptr<TessaryConnect::Model::Manager> manager = TessaryConnect::manager;
    TVSim::Journal::Clear();

    const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
    EXPECT_EQ(unloading.freeData, NoError);
    // The project events go with the mask 0x00000FFF (4095) and no handler, not with the mask they came with.
    EXPECT_EQ(HostCalls(RegistrationCalls),
              (V{"TVAPI_Notify_CatchSelectionChange(false) -> 0", "TVAPI_Notify_CatchProjectEvent(4095, false) -> 0",
                 "TVAPI_Notify_CatchNewElement(false, false) -> 0", "TVAPI_Install_ModulDataMergeHandler(false) -> 0",
                 "TVAPI_UnregisterModelessWindow(32401) -> 0"}));
    EXPECT_TRUE(unloading.leftBehind.empty());
    EXPECT_EQ(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    EXPECT_TRUE(manager.expired());
    const V log = AddOnLog();
    const auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("debug (FreeData) FreeData"), at("trace (FreeData) free manager"));
    EXPECT_LT(at("trace (FreeData) free manager"), at("info (FreeData) FreeData finished"));
    EXPECT_EQ(log.back(), "info (FreeData) FreeData finished");

    // The team-work events lie outside 0x00000FFF, and are gone all the same; so is every other callback.
    for (PK::UInt32 event : {APINotify_New, APINotify_SendChanges, APINotify_ReceiveChanges, APINotify_ChangeFloor})
        EXPECT_EQ(TVSim::Events::ProjectEvent(event), std::nullopt) << event;
    EXPECT_EQ(TVSim::Events::SelectionChanged(), std::nullopt);
    EXPECT_EQ(TVSim::Events::NewElement(project.AddElement(API_WallID)), std::nullopt);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), std::nullopt);
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_OpenPalette), std::nullopt);
    EXPECT_EQ(TVSim::Events::MergeModulData("ConnectionWithSpecification:spec-1", {1, 0x6D6D, std::nullopt}),
              std::nullopt);
    project.SetSelection({project.AddElement(API_SlabID)});
    TVSim::OpenProject();
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(TVSim::GetCallbacksAfterFreeData().empty());
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
}

TEST(TearDown, ARemovalThatIsRefusedOrThrowsIsLoggedTheOtherStepsStillRunAndTheHostCatchesWhatIsLeft) {
    FreshHost();
    ASSERT_TRUE(TVSim::LoadAddOn(EntryPoints()).loaded);
    TVSim::Faults::BeforeCall("TVAPI_Notify_CatchSelectionChange", [] { throw std::runtime_error("host busy"); });
    TVSim::Faults::FailCall("TVAPI_Notify_CatchProjectEvent", APIERR_GENERAL);
    const TVSim::AddOnUnloading unloading = TVSim::UnloadAddOn();
    EXPECT_EQ(unloading.freeData, NoError);
    EXPECT_TRUE(InAddOnLog("error (FreeData) exception: host busy"));
    EXPECT_TRUE(InAddOnLog("error (operator()) failed assertion: NoError == TVAPI_Notify_CatchProjectEvent( 0x00000FFF, "
                           "nullptr)"));
    EXPECT_EQ(AddOnLog().back(), "info (FreeData) FreeData finished");
    EXPECT_EQ(TessaryConnect::manager, nullptr);
    EXPECT_EQ(unloading.leftBehind, (V{"selection change handler", "project event handler (mask 0xFFFFFFFF)"}));
    EXPECT_TRUE(TVSim::GetRegistrations().palettes.empty());
    EXPECT_EQ(TVSim::GetRegistrations().mergeHandler, nullptr);

    // What was left behind is caught, and nothing goes through it.
    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_ReceiveChanges), std::nullopt);
    EXPECT_EQ(TVSim::Events::SelectionChanged(), std::nullopt);
    EXPECT_EQ(TVSim::GetCallbacksAfterFreeData(),
              (V{"left behind: selection change handler", "left behind: project event handler (mask 0xFFFFFFFF)",
                 "project event after FreeData", "selection change after FreeData"}));
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}

TEST(TearDown, FreeDataWithoutAManagerStillFinishesAndAnswersNoError) {
    FreshHost();
    LogCapture log;
    EXPECT_EQ(FreeData(), NoError);
    EXPECT_TRUE(log.Has(spdlog::level::trace, "free manager"));
    EXPECT_TRUE(log.Has(spdlog::level::info, "FreeData finished"));
    // Nothing was registered: the palette's removal is refused and logged, the rest goes on.
    EXPECT_TRUE(log.Has(spdlog::level::err,
                        "failed assertion: NoError == TVAPI_UnregisterModelessWindow( "
                        "TessaryConnect::UI::Palette::ResId)"));
}

TEST(TearDown, LoadedAgainOnTheStoredProjectTheAddOnShowsTheSameConnectionsAndIdentity) {
    AddOnProject s;
    const ConnectionPtr connected = s.ConnectSpec(1);
    ASSERT_NE(connected, nullptr);
    const PK::UniString plan = s.addOn->manager->PlanId();
    s.addOn.reset();
    EXPECT_FALSE(TVSim::IsAddOnLoaded());
    EXPECT_EQ(TessaryConnect::manager, nullptr);

    s.addOn = std::make_unique<AddOn>();
    EXPECT_EQ(s.addOn->manager->PlanId(), plan);
    const auto connections = s.addOn->manager->GetConnections();
    ASSERT_EQ(connections.GetSize(), 1u);
    EXPECT_EQ(connections[0]->TessarySpecificationId(), "spec-1");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), connections[0]);
}
