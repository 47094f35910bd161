// Selection notifications follow the project's state: a change queues one,
// the main loop delivers it once the add-on's call is over, and a change to
// nothing queues nothing.
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

PKErrCode OnSelection(const API_Neig*) {
    heard.push_back("selection");
    return NoError;
}

V Delivered() {
    heard.clear();
    PK::MainMessageLoop::RunPending();
    return std::exchange(heard, {});
}

}  // namespace

TEST(SimulatedHostNotifications, EachSelectionChangeQueuesOneNotificationAfterTheCallAndNoChangeQueuesNothing) {
    TVAPI_Notify_CatchSelectionChange(OnSelection);
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
    };
    for (const auto& row : rows) {
        row.make();
        EXPECT_EQ(Delivered(), row.expected) << row.change;
    }
}
