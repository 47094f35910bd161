// Notifications follow the project's state: a change queues what the add-on
// subscribed to, the main loop delivers it once the add-on's call is over,
// and a change to nothing queues nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "support/HostCalls.hpp"

namespace {

using V = std::vector<std::string>;
V heard;

GSErrCode OnSelection(const API_Neig*) {
    heard.push_back("selection");
    return NoError;
}

GSErrCode OnProject(API_NotifyEventID event, PK::Int32) {
    heard.push_back(event == APINotify_Open ? "open" : event == APINotify_Close ? "close" : "other");
    return NoError;
}

GSErrCode OnNewElement(const API_NotifyElementType*) {
    heard.push_back("new element");
    return NoError;
}

V Delivered() {
    heard.clear();
    PK::MainMessageLoop::RunPending();
    return std::exchange(heard, {});
}

}  // namespace

TEST(SimulatedHostNotifications, EachChangeQueuesOneNotificationAfterTheCallAndNoChangeQueuesNothing) {
    TVAPI_Notify_CatchSelectionChange(OnSelection);
    TVAPI_Notify_CatchProjectEvent(APINotify_Open | APINotify_Close | APINotify_ChangeWindow, OnProject);
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid wall = project.AddElement(API_WallID), slab = project.AddElement(API_SlabID);
    const PK::Array<API_Guid> both{wall, slab};
    Delivered();
    TestSupport::InHostCommand([&] {
        TVAPI_Element_Select({API_Neig{APINeig_Wall, wall}}, true);
        TVAPI_Element_Select({API_Neig{APINeig_Ceil, slab}}, true);
        return NoError;
    });
    EXPECT_EQ(Delivered(), V{"selection"}) << "changes not yet delivered count once";
    const struct {
        const char* change;
        std::function<void()> make;
        V expected;
    } rows[] = {
        {"the same selection again", [&] { project.SetSelection(both); }, {}},
        {"a selected element is deleted", [&] { project.DeleteElement(slab); }, {"selection"}},
        {"the add-on deselects", [] { TVAPI_Element_DeselectAll(); }, {"selection"}},
        {"nothing to deselect", [] { TVAPI_Element_DeselectAll(); }, {}},
        {"the front window again", [&] { project.SetCurrentWindow(project.GetCurrentWindow().databaseUnId); }, {}},
        {"a saved project is opened", [] { TVSim::OpenSavedProject("House", "/p/House.tvp"); }, {"close", "open"}},
    };
    for (const auto& row : rows) {
        row.make();
        EXPECT_EQ(Delivered(), row.expected) << row.change;
    }
    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_Save), std::nullopt) << "outside the mask";
}

TEST(SimulatedHostNotifications, OnlyWhatIsStillSubscribedWhenDeliveredArrives) {
    const API_ToolBoxItem slabs{API_SlabID, APIVarId_Generic};
    TVAPI_Notify_CatchNewElement(&slabs, OnNewElement);
    TVSim::Project& project = TVSim::OpenProject();
    project.AddElement(API_WallID);
    project.AddElement(API_SlabID);
    EXPECT_EQ(Delivered(), V{"new element"});

    project.AddElement(API_SlabID);
    const API_ToolBoxItem walls{API_WallID, APIVarId_Generic};
    TVAPI_Notify_CatchNewElement(&walls, OnNewElement);
    EXPECT_EQ(Delivered(), V{}) << "no longer subscribed for slabs when control came back";
}
