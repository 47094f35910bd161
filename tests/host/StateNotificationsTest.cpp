// The notifications of the project's contents (3D visibility, classification
// items, property definitions), and a close that the add-on hears with the
// closing project still there, after what was pending for it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"

namespace {

std::vector<std::string> heard;

// Each event with the element count of the project open meanwhile.
PKErrCode OnProject(API_NotifyEventID event, PK::Int32) {
    heard.push_back(std::to_string(event) + "/" + std::to_string(TVSim::GetProject()->GetElementCount()));
    return NoError;
}

PKErrCode OnNewElement(const API_NotifyElementType* record) {
    API_Elem_Head head;
    head.guid = record->elemHead.guid;
    heard.push_back(TVAPI_Element_GetHeader(&head) == NoError ? "element there" : "element elsewhere");
    return NoError;
}

std::vector<std::string> Delivered() {
    PK::MainMessageLoop::RunPending();
    return std::exchange(heard, {});
}

std::string Heard(PK::UInt32 event) { return std::to_string(event) + "/1"; }

}  // namespace

TEST(StateNotifications, ContentChangesQueueTheirNotificationWithinTheMask) {
    TVSim::Project& p = TVSim::OpenProject();
    const API_Guid wall = p.AddElement(API_WallID);
    const API_Guid system = p.AddClassificationSystem("Clauses");
    const API_Guid item = p.AddClassificationItem(system, "A10");
    const API_Guid group = p.AddPropertyGroup("Group");
    const API_Guid definition = p.AddPropertyDefinition(group, "Clause");
    TVAPI_Notify_CatchProjectEvent(0xFFFFFFFF & ~APINotify_Close, OnProject);
    API_ClassificationItem made;
    made.id = "B20";
    API_PropertyDefinition changed = p.GetPropertyDefinition(definition).definition;
    const std::string in3D = Heard(APINotify_ShowIn3DChanged), items = Heard(APINotify_ClassificationItemChanged),
                      definitions = Heard(APINotify_PropertyDefinitionChanged);
    const std::vector<std::pair<std::function<void()>, std::vector<std::string>>> rows = {
        {[&] { p.SetElementIn3D(wall, false); }, {in3D}},
        {[&] { p.SetElementIn3D(wall, false); }, {}},
        {[&] { p.AddClassificationItem(system, "C30", item); }, {items}},
        {[&] { TVAPI_Classification_CreateClassificationItem(made, system, {}, {}); }, {items}},
        {[&] { p.ChangeClassificationItem(item, "A11"); }, {items}},
        {[&] { p.DeleteClassificationItem(item); }, {items, items}},  // with its child
        {[&] { p.AddPropertyDefinition(group, "Other"); }, {definitions}},
        {[&] { p.SetPropertyAvailability(definition, {made.guid}); }, {definitions}},
        {[&] { TVAPI_Property_ChangePropertyDefinition(changed); }, {definitions}},
        {[&] { p.DeletePropertyGroup(group); }, {definitions, definitions}},
        {[&] {
             TVAPI_Notify_CatchProjectEvent(APINotify_Close, OnProject);
             p.SetElementIn3D(wall, true);
         },
         {}},
    };
    TVSim::Commands::SetUndoScopeRequired(false);
    Delivered();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        rows[row].first();
        EXPECT_EQ(Delivered(), rows[row].second) << "row " << row;
    }
}

TEST(StateNotifications, AClosingProjectIsThereForWhatWasPendingForItAndForItsClose) {
    TVSim::Project& p = TVSim::OpenProject();
    p.AddElement(API_WallID);
    TVAPI_Notify_CatchProjectEvent(APINotify_Close | APINotify_New, OnProject);
    TVAPI_Notify_CatchNewElement(nullptr, OnNewElement);
    p.AddElement(API_SlabID);
    TVSim::OpenProject().AddElement(API_WallID);
    EXPECT_EQ(Delivered(), (std::vector<std::string>{"element there", std::to_string(APINotify_Close) + "/2",
                                                     Heard(APINotify_New), "element there"}));
}
