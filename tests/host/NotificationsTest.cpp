// Notifications follow the project's state: a change queues what the add-on
// subscribed to, and the main loop delivers it once the add-on's call is over.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "support/HostCalls.hpp"

namespace {

std::vector<std::string> heard;

GSErrCode OnSelection(const API_Neig* neig) {
    heard.push_back(neig != nullptr && !neig->guid.IsNull() ? "selection" : "selection of nothing");
    return NoError;
}

GSErrCode OnProject(API_NotifyEventID event, PK::Int32) {
    const char* name = event == APINotify_New            ? "new"
                       : event == APINotify_Open         ? "open"
                       : event == APINotify_Close        ? "close"
                       : event == APINotify_ChangeWindow ? "window"
                       : event == APINotify_ChangeFloor  ? "story"
                                                         : "other";
    heard.push_back(name);
    return NoError;
}

GSErrCode OnNewElement(const API_NotifyElementType* record) {
    heard.push_back(record->elemHead.typeID == API_WallID ? "new wall" : "new element");
    return NoError;
}

constexpr PK::UInt32 kProjectMask =
    APINotify_New | APINotify_Open | APINotify_Close | APINotify_ChangeWindow | APINotify_ChangeFloor;

// The add-on's subscriptions, made before anything else of the fixture.
struct Subscriptions {
    Subscriptions() {
        heard.clear();
        TVAPI_Notify_CatchSelectionChange(OnSelection);
        TVAPI_Notify_CatchProjectEvent(kProjectMask, OnProject);
        TVAPI_Notify_CatchNewElement(nullptr, OnNewElement);
    }
};

class SimulatedHostNotifications : public ::testing::Test, private Subscriptions {
protected:
    // What the add-on hears once control is back in the host's main loop.
    static std::vector<std::string> Delivered() {
        heard.clear();
        PK::MainMessageLoop::RunPending();
        return std::exchange(heard, {});
    }

    TVSim::Project* project = &TVSim::OpenProject();
    API_Guid wall = project->AddElement(API_WallID);
    API_Guid slab = project->AddElement(API_SlabID);
};

using V = std::vector<std::string>;

TEST_F(SimulatedHostNotifications, WhatTheAddOnChangesReachesItOnlyAfterItsCallAndChangesNotYetDeliveredCountOnce) {
    EXPECT_EQ(Delivered(), (V{"new", "new wall", "new element"}));
    TestSupport::InHostCommand([&] {
        TVAPI_Element_Select({API_Neig{APINeig_Wall, wall}}, true);
        TVAPI_Element_Select({API_Neig{APINeig_Ceil, slab}}, true);
        EXPECT_TRUE(heard.empty()) << "delivered in the middle of the add-on's call";
        return NoError;
    });
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(TVSim::Events::GetPendingCount(), 1u);
    EXPECT_EQ(Delivered(), V{"selection"});
    EXPECT_EQ(Delivered(), V{});
}

TEST_F(SimulatedHostNotifications, EachChangeOfStateQueuesItsNotificationAndNoChangeQueuesNothing) {
    const API_Guid view3D = project->FindWindow(APIWind_3DModelID);
    auto bringFloorPlanToFront = [&] {
        API_WindowInfo info;
        info.typeID = APIWind_FloorPlanID;
        info.index = 1;
        info.databaseUnId = project->FindWindow(APIWind_FloorPlanID);
        TVAPI_Automate(APIDo_ChangeWindowID, &info);
    };
    project->SetStories(0, {"Ground", "First"});
    struct Row {
        const char* change;
        std::function<void()> make;
        V expected;
    };
    const std::vector<Row> rows = {
        {"a test selects", [&] { project->SetSelection({wall}); }, {"selection"}},
        {"the same selection again", [&] { project->SetSelection({wall}); }, {}},
        {"the add-on deselects", [] { TVAPI_Element_DeselectAll(); }, {"selection of nothing"}},
        {"nothing to deselect", [] { TVAPI_Element_DeselectAll(); }, {}},
        {"a selected element is deleted",
         [&] {
             project->SetSelection({slab});
             Delivered();
             project->DeleteElement(slab);
         },
         {"selection of nothing"}},
        {"an element is made", [&] { project->AddElement(API_WallID); }, {"new wall"}},
        {"a test brings another window to the front", [&] { project->SetCurrentWindow(view3D); }, {"window"}},
        {"the add-on brings another window to the front", bringFloorPlanToFront, {"window"}},
        {"the add-on brings the front window to the front", bringFloorPlanToFront, {}},
        {"a test goes to another story", [&] { project->SetCurrentStory(1); }, {"story"}},
        {"the add-on goes to another story",
         [] {
             API_StoryCmdType goTo;
             goTo.index = 0;
             TVAPI_Environment(APIEnv_ChangeStorySettingsID, &goTo);
         },
         {"story"}},
        {"a saved project is opened", [] { TVSim::OpenSavedProject("House", "/p/House.tvp"); }, {"close", "open"}},
        {"the project is closed", [] { TVSim::CloseProject(); }, {"close"}},
        {"a new project is made", [] { TVSim::OpenProject(); }, {"new"}},
    };
    Delivered();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        row.make();
        EXPECT_EQ(Delivered(), row.expected);
    }
}

TEST_F(SimulatedHostNotifications, OnlyWhatIsSubscribedStillWhenDeliveredAndWithinItsMaskArrives) {
    Delivered();
    TVAPI_Notify_CatchProjectEvent(APINotify_Close, OnProject);
    const API_ToolBoxItem slabs{API_SlabID, APIVarId_Generic};
    TVAPI_Notify_CatchNewElement(&slabs, OnNewElement);
    TVSim::OpenProject();
    project = TVSim::GetProject();
    project->AddElement(API_WallID);
    project->AddElement(API_SlabID);
    EXPECT_EQ(Delivered(), (V{"close", "new element"}));

    project->SetSelection({project->AddElement(API_SlabID)});
    TVAPI_Notify_CatchSelectionChange(nullptr);
    const API_ToolBoxItem walls{API_WallID, APIVarId_Generic};
    TVAPI_Notify_CatchNewElement(&walls, OnNewElement);
    EXPECT_EQ(Delivered(), V{}) << "unsubscribed, or no longer for slabs, before control came back";

    project->SetSelection({});
    TVAPI_Notify_CatchSelectionChange(OnSelection);
    EXPECT_EQ(Delivered(), V{}) << "subscribed only after the change";
}

TEST_F(SimulatedHostNotifications, ATestCanSilenceDeliveryAndStillFireByHand) {
    Delivered();
    TVSim::Events::SetAutoDelivery(false);
    project->SetSelection({wall});
    project->AddElement(API_WallID);
    EXPECT_EQ(TVSim::Events::GetPendingCount(), 0u);
    EXPECT_EQ(TVSim::Events::SelectionChanged(), NoError);
    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_Save), std::nullopt) << "outside the mask";
    EXPECT_EQ(heard, V{"selection"});

    TVSim::Events::SetAutoDelivery(true);
    project->SetSelection({});
    TVSim::Reset();
    TVSim::OpenProject();
    TVSim::Events::SetAutoDelivery(false);
    TVAPI_Notify_CatchSelectionChange(OnSelection);
    EXPECT_EQ(Delivered(), V{}) << "Reset forgets what was pending";
}

}  // namespace
